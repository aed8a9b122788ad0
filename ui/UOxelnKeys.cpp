// Keys of the main window beyond its buttons' own: Ctrl+S and Ctrl+P for
// "Enregistrer" and "Imprimer", and Ctrl+Tab out of a view that takes Tab.
#include "UOxeln.h"

#include "RichTextView.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

void TForm1::createShortcuts()
{
    const auto shortcut = [this](QPushButton *button, const char *name, const QKeySequence &keys) {
        auto *key = new QShortcut(keys, this);
        key->setObjectName(QLatin1String(name));
        // As a click: nothing while the button is disabled.
        connect(key, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        button->setToolTip(button->toolTip() + QStringLiteral(" (%1)").arg(keys.toString(QKeySequence::NativeText)));
    };
    shortcut(btnEnregistre, "saveShortcut", QKeySequence(Qt::CTRL | Qt::Key_S));
    shortcut(btnImprime, "printShortcut", QKeySequence(Qt::CTRL | Qt::Key_P));
}

bool TForm1::viewKeyPress(QKeyEvent *event)
{
    // Ctrl+Tab moves the focus on (and Ctrl+Shift+Tab back), as in text
    // areas that take Tab as text, which the views do while unlocked.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab || !(event->modifiers() & Qt::ControlModifier))
        return false;
    const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    focusNextPrevChild(!back);
    return true;
}
