#include "SpinEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QWheelEvent>

namespace oxeln {

namespace {

// Arrows a few pixels narrower, their width going to the number: a 44-pixel
// box then shows "1000" whole.
class NarrowArrowsStyle : public QProxyStyle
{
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget) const override
    {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control != CC_SpinBox)
            return rect;
        constexpr int narrower = 4;
        if (part == SC_SpinBoxUp || part == SC_SpinBoxDown)
            rect.setLeft(rect.left() + narrower);
        else if (part == SC_SpinBoxEditField)
            rect.setRight(rect.right() + narrower);
        return rect;
    }
};

QStyle *narrowArrowsStyle()
{
    // One for all boxes, made on first use (the application's style is its
    // base) and kept until the end.
    static auto *style = new NarrowArrowsStyle;
    return style;
}

} // namespace

SpinEdit::SpinEdit(QWidget *parent) : QSpinBox(parent)
{
    setStyle(narrowArrowsStyle());
    // The field shows the value but never takes typed text, drops or a middle-click paste.
    lineEdit()->setReadOnly(true);
    lineEdit()->setAcceptDrops(false);
    lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    lineEdit()->installEventFilter(this);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(240, 255, 255));
    colours.setColor(QPalette::Text, Qt::black); // also under a dark theme
    setPalette(colours);
}

void SpinEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        QSpinBox::keyPressEvent(event);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore();
        return;
    default:
        break;
    }
    // Pure modifiers and navigation inside the field are harmless; anything
    // that would type, cut or paste is refused.
    const bool edits = !event->text().isEmpty() || event->matches(QKeySequence::Paste)
        || event->matches(QKeySequence::Cut) || event->key() == Qt::Key_Delete
        || event->key() == Qt::Key_Backspace;
    if (edits)
        QApplication::beep();
    event->accept();
}

void SpinEdit::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
}

void SpinEdit::wheelEvent(QWheelEvent *event)
{
    // A teacher scrolling over the window must not change a count unseen.
    event->ignore();
}

bool SpinEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                emit numberFieldClicked();
            break;
        case QEvent::MouseButtonPress:
            // A middle click would paste the selection into the field.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton) {
                QApplication::beep();
                return true;
            }
            break;
        case QEvent::ContextMenu:
            return true;
        default:
            break;
        }
    }
    return QSpinBox::eventFilter(watched, event);
}

int SpinEdit::valueFromText(const QString &text) const
{
    bool ok = false;
    const int value = locale().toInt(text.trimmed(), &ok);
    return ok ? value : minimum();
}

QValidator::State SpinEdit::validate(QString &, int &) const
{
    // Whatever the field holds reads as a number (the minimum when it does not parse).
    return QValidator::Acceptable;
}

} // namespace oxeln
