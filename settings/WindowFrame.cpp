#include "WindowFrame.h"

#include <QEvent>

namespace oxeln {

namespace {

constexpr Qt::WindowStates SizeStates =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// Extents read while the window manager is still reparenting can be
// nonsense (negative, or the size of the whole window): only frames of a
// believable width are trusted.
constexpr int MaxFrameExtent = 200;
constexpr int WatchInterval = 25; // ms
constexpr int WatchChecks = 120;  // 3 s

bool plausible(const QMargins &m)
{
    for (int extent : {m.left(), m.top(), m.right(), m.bottom()}) {
        if (extent < 0 || extent > MaxFrameExtent)
            return false;
    }
    return !m.isNull();
}

} // namespace

WindowFrame::WindowFrame(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window)
{
    m_watch.setInterval(WatchInterval);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (settle() || ++m_checks >= WatchChecks)
            m_watch.stop();
    });
    if (window)
        window->installEventFilter(this);
}

QMargins WindowFrame::currentMargins() const
{
    const QRect frame = m_window->frameGeometry();
    const QRect client = m_window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

QMargins WindowFrame::margins() const
{
    // A maximized window may lose part of its frame; its normal frame is the
    // one seen last in the normal state.
    if ((m_window->windowState() & SizeStates) && !m_knownMargins.isNull())
        return m_knownMargins;
    const QMargins current = currentMargins();
    return plausible(current) ? current : m_knownMargins;
}

QSize WindowFrame::clientSizeFor(const QSize &frameSize, const QMargins &margins) const
{
    return frameSize.shrunkBy(margins)
        .expandedTo(m_window->minimumSize())
        .boundedTo(m_window->maximumSize());
}

QRect WindowFrame::normalRect() const
{
    const QMargins frame = margins();
    if (m_pending && !frame.isNull()) {
        // The frame became known while the window was not in the normal
        // state: its normal size still lacks the correction.
        return {m_pending->topLeft(), clientSizeFor(m_pending->size(), frame).grownBy(frame)};
    }
    QRect client = m_window->geometry();
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        const QRect normal = m_window->normalGeometry();
        if (normal.isValid())
            client = normal;
    }
    // pos() is the frame's corner also while a position given before the
    // window existed waits to be applied.
    const QPoint corner = m_window->windowState() & SizeStates
                              ? client.topLeft() - QPoint(frame.left(), frame.top())
                              : m_window->pos();
    return {corner, client.size().grownBy(frame)};
}

void WindowFrame::place(const QRect &frame)
{
    const QMargins extents = margins();
    m_window->resize(clientSizeFor(frame.size(), extents));
    m_window->move(frame.topLeft());
    m_pending.reset();
    m_watch.stop();
    if (extents.isNull()) {
        m_pending = frame;
        m_checks = 0;
        m_watch.start();
    }
}

// Places the window again by the pending rectangle once the frame is known
// and the window is in the normal state; true when nothing is left to do.
bool WindowFrame::settle()
{
    if (!m_pending)
        return true;
    if (!m_window->isVisible() || (m_window->windowState() & SizeStates))
        return false;
    const QMargins extents = currentMargins();
    if (!plausible(extents))
        return false;
    m_knownMargins = extents;
    const QRect frame = *m_pending;
    m_pending.reset();
    m_window->resize(clientSizeFor(frame.size(), extents));
    m_window->move(frame.topLeft());
    return true;
}

bool WindowFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
            // Back to the normal state from the state it was restored in.
            if (m_pending && !(m_window->windowState() & SizeStates)) {
                m_checks = 0;
                m_watch.start();
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (!(m_window->windowState() & SizeStates)) {
                if (const QMargins extents = currentMargins(); plausible(extents))
                    m_knownMargins = extents;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace oxeln
