// The settings store's part in the window's life: created with the controls,
// restored at the first showing, saved after the close query, and once more
// at destruction when the close-time save failed.
#include "UOxeln.h"

#include "ErrorBox.h"
#include "FormStorage.h"
#include "SettingsLocation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>

void TForm1::createStorage()
{
    FormStorage1 = new oxeln::TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->setStoredProps(oxeln::TFormStorage::form1StoredProps());
    FormStorage1->setErrorReporter([this](const QString &message) { oxeln::ShowErrorBox(this, message); });
    connect(FormStorage1, &oxeln::TFormPlacement::placementSaved, this, &TForm1::FormStorage1SavePlacement);
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
