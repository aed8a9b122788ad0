#pragma once

#include <QList>
#include <QRect>

class QScreen;
class QWidget;

namespace oxeln {

// Where to project, among screens given by their geometries: a screen other
// than the one that holds the main window (the projector), a secondary one
// rather than the primary when there are several, never an empty one or a
// mirror of the main window's; else the main window's own screen (the
// primary when that is unknown: windowScreen -1).
// Returns an index into screens, or -1 when the list is empty.
int ChooseProjectionScreen(const QList<QRect> &screens, int primary, int windowScreen);

// The same over the screens of the running application, for a main window.
QScreen *ProjectionScreen(const QWidget *mainWindow);

} // namespace oxeln
