// The settings store's part in the window's life: created with the controls,
// restored at the first showing, saved after the close query, and once more
// at destruction when the close-time save failed.
#include "UOxeln.h"

#include "ErrorBox.h"
#include "FormStorage.h"
#include "SettingsLocation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>

void TForm1::createStorage()
{
    FormStorage1 = new oxeln::TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->setStoredProps(oxeln::TFormStorage::form1StoredProps());
    FormStorage1->setErrorReporter([this](const QString &message) { oxeln::ShowErrorBox(this, message); });
    connect(FormStorage1, &oxeln::TFormPlacement::placementSaved, this, &TForm1::FormStorage1SavePlacement);
    // 740 x 400 for the whole window; until the real frame is known, assume a
    // 4-pixel border and a 19-pixel caption.
    FormStorage1->frame()->setMinimumFrameSize(QSize(740, 400), QMargins(4, 23, 4, 4));
}

void TForm1::setSettingsFile(const QString &path)
{
    FormStorage1->setIniFileName(path);
    // Should that file be unwritable when the window closes, the settings
    // go to the user's own file instead of being lost.
    FormStorage1->setFallbackIniFileName(oxeln::userSettingsPath(QFileInfo(path).fileName()));
}

QString TForm1::settingsPathForExecutable()
{
    return oxeln::settingsFileForExecutable(QCoreApplication::applicationFilePath());
}

void TForm1::restoreSettingsAtFirstShow()
{
    // Opens centred on the screen, unless the store places it elsewhere.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen)
        FormStorage1->frame()->centre(screen->availableGeometry());
    FormStorage1->onFirstShow();
    // Restored titles show from their start, as typed ones do.
    for (QLineEdit *title : {ETitre1, Etitre2, Etitre3})
        title->setCursorPosition(0);
}

void TForm1::saveSettingsAtClose(bool canClose)
{
    FormStorage1->onCloseRequest(canClose);
}

TForm1::~TForm1()
{
    // Before the controls go: their values are what gets saved.
    FormStorage1->onDestroy();
}
