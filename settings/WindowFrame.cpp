#include "WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace oxeln {

namespace {

constexpr Qt::WindowStates SizeStates =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// Extents read while the window manager is still reparenting can be
// nonsense (negative, or the size of the whole window): only frames of a
// believable width are trusted.
constexpr int MaxFrameExtent = 200;
constexpr int WatchInterval = 25; // ms
constexpr int WatchChecks = 120;  // 3 s on screen

bool plausible(const QMargins &m)
{
    for (int extent : {m.left(), m.top(), m.right(), m.bottom()}) {
        if (extent < 0 || extent > MaxFrameExtent)
            return false;
    }
    return !m.isNull();
}

} // namespace

QRect FitFrameInside(const QRect &frame, const QRect &area, const QSize &minimum)
{
    if (!area.isValid())
        return frame;
    QRect fitted(frame.topLeft(), frame.size().boundedTo(area.size()).expandedTo(minimum));
    if (fitted.right() > area.right())
        fitted.moveRight(area.right());
    if (fitted.bottom() > area.bottom())
        fitted.moveBottom(area.bottom());
    // Last, so that a frame larger than the area keeps its title bar on it.
    if (fitted.left() < area.left())
        fitted.moveLeft(area.left());
    if (fitted.top() < area.top())
        fitted.moveTop(area.top());
    return fitted;
}

WindowFrame::WindowFrame(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window)
{
    m_watch.setInterval(WatchInterval);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (settle()) {
            m_watch.stop();
            return;
        }
        // Counted while the window is on screen: a slow start does not use
        // up the watch.
        const QWindow *handle = m_window ? m_window->windowHandle() : nullptr;
        if (handle && handle->isExposed() && ++m_checks >= WatchChecks)
            m_watch.stop();
    });
    if (window)
        window->installEventFilter(this);
}

QRect WindowFrame::availableAreaFor(const QRect &rect)
{
    const QScreen *screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins WindowFrame::currentMargins() const
{
    // The window system's answer: the widget caches its frame, and the cache
    // is not renewed when the frame arrives without the window moving.
    if (const QWindow *handle = m_window->windowHandle(); handle && handle->handle())
        return handle->frameMargins();
    return {};
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

QSize WindowFrame::minimumFrameSize() const
{
    if (m_minimumFrame)
        return *m_minimumFrame;
    return m_window->minimumSize().grownBy(margins());
}

void WindowFrame::setMinimumFrameSize(const QSize &size, const QMargins &assumed)
{
    m_minimumFrame = size;
    m_assumedMargins = assumed;
    updateMinimum(margins());
}

void WindowFrame::updateMinimum(const QMargins &margins)
{
    if (m_minimumFrame)
        m_window->setMinimumSize(m_minimumFrame->shrunkBy(margins.isNull() ? m_assumedMargins : margins));
}

QSize WindowFrame::clientSizeFor(const QSize &frameSize, const QMargins &margins) const
{
    return frameSize.shrunkBy(margins)
        .expandedTo(m_window->minimumSize())
        .boundedTo(m_window->maximumSize());
}

QRect WindowFrame::frameFor(const Target &target, const QMargins &margins) const
{
    if (!target.centred)
        return target.area;
    QRect frame(QPoint(), m_window->size().expandedTo(m_window->minimumSize()).grownBy(margins));
    frame.moveCenter(target.area.center());
    return frame;
}

QRect WindowFrame::normalRect() const
{
    const QMargins frame = margins();
    if (m_pending && !frame.isNull()) {
        // The frame became known while the window was not in the normal
        // state: its normal place still lacks the correction.
        const QRect target = frameFor(*m_pending, frame);
        return {target.topLeft(), clientSizeFor(target.size(), frame).grownBy(frame)};
    }
    QRect client = m_window->geometry();
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        const QRect normal = m_window->normalGeometry();
        if (normal.isValid())
            client = normal;
    }
    // Before the window exists, pos() is where its frame's corner will be.
    if (!m_window->testAttribute(Qt::WA_WState_Created))
        return {m_window->pos(), client.size().grownBy(frame)};
    return client.marginsAdded(frame);
}

void WindowFrame::place(const QRect &frame)
{
    request({frame, false});
}

void WindowFrame::centre(const QRect &area)
{
    request({area, true});
}

void WindowFrame::request(const Target &target)
{
    m_pending.reset();
    m_watch.stop();
    const QMargins extents = margins();
    apply(target, extents);
    if (extents.isNull()) {
        m_pending = target;
        m_checks = 0;
        m_watch.start();
    }
}

void WindowFrame::apply(const Target &target, const QMargins &margins)
{
    updateMinimum(margins);
    const QRect frame = frameFor(target, margins);
    const QSize client = clientSizeFor(frame.size(), margins);
    if (m_window->testAttribute(Qt::WA_WState_Created)) {
        m_window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), client));
    } else {
        m_window->resize(client);
        m_window->move(frame.topLeft());
    }
}

// Places the window again by the pending target once the frame is known and
// the window is in the normal state; true when nothing is left to do.
bool WindowFrame::settle()
{
    if (!m_pending)
        return true;
    if (!m_window || !m_window->isVisible() || (m_window->windowState() & SizeStates))
        return false;
    const QMargins extents = currentMargins();
    if (!plausible(extents))
        return false;
    m_knownMargins = extents;
    const Target target = *m_pending;
    m_pending.reset();
    apply(target, extents);
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
                if (const QMargins extents = currentMargins(); plausible(extents)) {
                    m_knownMargins = extents;
                    if (!m_pending)
                        updateMinimum(extents);
                }
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace oxeln
