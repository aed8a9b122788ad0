#include "ScreenChoice.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace oxeln {

int ChooseProjectionScreen(const QList<QRect> &screens, int primary, int windowScreen)
{
    const int count = static_cast<int>(screens.size());
    if (count == 0)
        return -1;
    if (count == 1)
        return 0;
    const bool known = windowScreen >= 0 && windowScreen < count;
    const QRect own = known ? screens.at(windowScreen) : QRect();
    int other = -1;
    for (int i = 0; i < count; ++i) {
        // A mirror of the main window's screen, or a screen without an area,
        // shows the pupils nothing new.
        if (i == windowScreen || screens.at(i).isEmpty() || (known && screens.at(i) == own))
            continue;
        if (i != primary)
            return i;
        if (other < 0)
            other = i;
    }
    if (other >= 0)
        return other;
    return known ? windowScreen : (primary >= 0 && primary < count ? primary : 0);
}

QScreen *ProjectionScreen(const QWidget *mainWindow)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QRect> geometries;
    for (const QScreen *screen : screens)
        geometries.append(screen->geometry());
    const QScreen *own = mainWindow ? mainWindow->screen() : nullptr;
    const int chosen = ChooseProjectionScreen(geometries, static_cast<int>(screens.indexOf(QGuiApplication::primaryScreen())),
                                              own ? static_cast<int>(screens.indexOf(const_cast<QScreen *>(own))) : -1);
    return chosen >= 0 ? screens.at(chosen) : QGuiApplication::primaryScreen();
}

} // namespace oxeln
