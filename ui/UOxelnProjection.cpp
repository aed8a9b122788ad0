// Projecting the worksheet's questions in the classroom: F5 and an entry of
// the subject view's menu (added where the views' menus are made) open the
// projection window, which works on a copy of the questions; the main window
// stays usable meanwhile.
#include "UOxeln.h"

#include "ErrorBox.h"
#include "FormStorage.h"
#include "ProjectionWindow.h"
#include "RichTextView.h"

#include <QMenu>
#include <QShortcut>

void TForm1::createProjection()
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_F5), this);
    shortcut->setObjectName(QStringLiteral("projectionShortcut"));
    connect(shortcut, &QShortcut::activated, this, &TForm1::openProjection);
    // Hidden until F5; it gets its native window when first shown.
    m_projection = new oxeln::ProjectionWindow(this);
    m_projection->setErrorReporter([this](const QString &message) { oxeln::ShowErrorBox(this, message); });
    // Its choices go where the store would write the window's settings now.
    m_projection->setSettingsFileForWriting([this] { return FormStorage1->iniFileNameForWriting(); });
    connect(m_projection, &oxeln::ProjectionWindow::closing, this, &TForm1::projectionClosing);
}

void TForm1::addProjectionEntry(QMenu *menu)
{
    menu->addSeparator();
    // The questions are projected as drawn: hand edits of the views are not.
    QString text = QStringLiteral("Projeter en classe (F5)");
    if (viewsEditedByHand())
        text += QStringLiteral(" \u2014 ") + oxeln::ProjectionWindow::handEditsNote();
    QAction *entry = menu->addAction(text, this, &TForm1::openProjection);
    entry->setObjectName(QStringLiteral("projectionEntry"));
    entry->setEnabled(!m_worksheet.questions().empty());
}

void TForm1::openProjection()
{
    if (m_worksheet.questions().empty())
        return;
    // The settings store's file, wherever it lies.
    m_projection->setSettingsFile(FormStorage1->iniFileName());
    m_projection->start(m_worksheet.questions(), viewsEditedByHand());
}

bool TForm1::viewsEditedByHand() const
{
    return RxE1->EditedByHand() || RxE2->EditedByHand();
}

void TForm1::projectionClosing(bool wasActive)
{
    if (wasActive && !isActiveWindow())
        m_activationFromProjection = true;
    activateWindow();
    raise();
}

void TForm1::closeProjection()
{
    // Its settings are saved as it closes, before the window's own.
    if (m_projection->isVisible()) {
        disconnect(m_projection, &oxeln::ProjectionWindow::closing, this, &TForm1::projectionClosing);
        m_projection->close();
        connect(m_projection, &oxeln::ProjectionWindow::closing, this, &TForm1::projectionClosing);
    }
}
