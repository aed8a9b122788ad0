#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace oxeln {

// The frame rectangle moved and, if need be, shrunk so that it lies inside
// area, title bar included; never smaller than minimum (a screen smaller than
// that gets the frame at its top-left corner).
QRect FitFrameInside(const QRect &frame, const QRect &area, const QSize &minimum);

// The outer rectangle (frame included) of a top-level window: reading it in
// the normal state, placing the window by it, and the smallest size of the
// whole window.
//
// On X11 the frame's extents are known only some time after the window is
// mapped. A rectangle placed before that sizes the client area as if there
// were no frame; once the extents are known the window is placed again so
// that its frame has the stored size and corner. Until then the stored
// rectangle is what the window counts as its own, so that a restart never
// makes the window grow by its frame. The extents are read from the window
// system each time: the widget's own idea of its frame goes stale when
// events are processed before the window is first mapped.
class WindowFrame : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowFrame)

public:
    explicit WindowFrame(QWidget *window, QObject *parent = nullptr);

    // The frame's extents now, or the last ones seen.
    QMargins margins() const;
    // The outer rectangle that the window has, or returns to, in the normal
    // state.
    QRect normalRect() const;
    // Places the window's normal frame there; the window's minimum and
    // maximum sizes apply to its client area.
    void place(const QRect &frame);
    // Centres the window's frame, at its current client size, in area.
    void centre(const QRect &area);
    // The whole window, frame included, is never smaller than size; until
    // the frame is known its extents are taken to be assumed.
    void setMinimumFrameSize(const QSize &size, const QMargins &assumed);
    // The screen area a frame at rect belongs in: the available area of the
    // screen under its centre, else of the primary screen.
    static QRect availableAreaFor(const QRect &rect);
    // The smallest outer size the window can have.
    QSize minimumFrameSize() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Target
    {
        QRect area;           // the frame, or the area to centre it in
        bool centred = false;
    };

    QMargins currentMargins() const;
    QSize clientSizeFor(const QSize &frameSize, const QMargins &margins) const;
    QRect frameFor(const Target &target, const QMargins &margins) const;
    void request(const Target &target);
    void apply(const Target &target, const QMargins &margins);
    void updateMinimum(const QMargins &margins);
    bool settle();

    QPointer<QWidget> m_window;
    std::optional<Target> m_pending;
    QMargins m_knownMargins;
    std::optional<QSize> m_minimumFrame;
    QMargins m_assumedMargins;
    QTimer m_watch;
    int m_checks = 0;
};

} // namespace oxeln
