// How toolkit events reach the window's handlers: pointer and drag events of
// the two views, focus of the title lines, the link label, the first showing.
#include "UOxeln.h"

#include "RichTextView.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShowEvent>

#include <memory>

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        restoreSettingsAtFirstShow();
        // Without a window manager the window is never activated: a new
        // worksheet must not depend on it.
        reseedRandomSource();
    }
    QWidget::showEvent(event);
}

void TForm1::watchDrag(QDrag *drag, oxeln::RichTextView *view)
{
    // The toolkit deletes its drag object once the drag has ended.
    connect(drag, &QObject::destroyed, this, [this, view] {
        if (view == RxE1)
            RxE1EndDrag();
        else
            RxE2EndDrag();
    });
}

QMenu *TForm1::createViewMenu(oxeln::RichTextView *view, const QPoint &viewportPos)
{
    // The view's entries depend on where in the document the click was.
    const QPoint documentPos =
        viewportPos + QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    QMenu *menu = view->createStandardContextMenu(documentPos);
    menu->setObjectName(view->objectName() + QStringLiteral("Menu"));
    if (view == RxE1)
        addProjectionEntry(menu);
    addExercisesEntry(menu);
    return menu;
}

void TForm1::showViewMenu(oxeln::RichTextView *view, QContextMenuEvent *event)
{
    // From the keyboard, the menu comes up at the caret.
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QPoint at = byKeyboard ? view->cursorRect().center() : view->viewport()->mapFromGlobal(event->globalPos());
    const std::unique_ptr<QMenu> menu(createViewMenu(view, at));
    const QAction *chosen = menu->exec(byKeyboard ? view->viewport()->mapToGlobal(at) : event->globalPos());
    // A locked view: whatever was chosen ("Select All"...) leaves no
    // selection and the caret where it is pinned. The mouse had pinned it
    // already; a keyboard selection stays when nothing was chosen.
    if (chosen || !byKeyboard)
        pinCaret(view);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    for (oxeln::RichTextView *view : {RxE1, RxE2}) {
        if (!view)
            continue;
        const bool first = view == RxE1;
        if ((watched == view || watched == view->viewport()) && event->type() == QEvent::ContextMenu) {
            showViewMenu(view, static_cast<QContextMenuEvent *>(event));
            return true;
        }
        if (watched == view && event->type() == QEvent::KeyPress)
            return viewKeyPress(static_cast<QKeyEvent *>(event));
        if (watched == view && event->type() == QEvent::ChildAdded) {
            if (auto *drag = qobject_cast<QDrag *>(static_cast<QChildEvent *>(event)->child()))
                watchDrag(drag, view);
            return false;
        }
        if (watched != view->viewport())
            continue;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            if (m_forwarding)
                return false;
            // Let the view place its caret first, then pin it.
            m_forwarding = true;
            QCoreApplication::sendEvent(watched, event);
            m_forwarding = false;
            if (event->type() == QEvent::MouseButtonPress)
                first ? RxE1MouseDown() : RxE2MouseDown();
            else
                first ? RxE1MouseUp() : RxE2MouseUp();
            return true;
        case QEvent::MouseMove:
            if (!first)
                FormMouseMove();
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (!(first ? RxE1DragOver() : RxE2DragOver())) {
                static_cast<QDragMoveEvent *>(event)->ignore();
                return true;
            }
            return false;
        case QEvent::Drop:
            first ? RxE1DragDrop() : RxE2DragDrop();
            return false;
        default:
            return false;
        }
    }

    if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
        if (event->type() == QEvent::FocusIn) {
            ETitre1Enter(edit);
        } else if (event->type() == QEvent::FocusOut) {
            ETitre1Exit(edit);
            // Tab selects the whole line, which scrolls it to its end: left
            // for another control, a title shows its start again.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                edit->setCursorPosition(0);
        }
        return false;
    }

    if (watched == Label9) {
        if (event->type() == QEvent::MouseMove) {
            Label9MouseMove();
            return true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && Label9->rect().contains(mouse->position().toPoint()))
                Label9Click();
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}
