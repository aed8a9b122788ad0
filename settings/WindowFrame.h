#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace oxeln {

// The outer rectangle (frame included) of a top-level window: reading it in
// the normal state and placing the window by it.
//
// On X11 the frame's extents are known only some time after the window is
// mapped. A rectangle placed before that sizes the client area as if there
// were no frame; once the extents are known (watched for a few seconds) the
// window is placed again so that its frame has the stored size and corner.
// Until then the stored rectangle is what the window counts as its own, so
// that a restart never makes the window grow by its frame.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMargins currentMargins() const;
    QSize clientSizeFor(const QSize &frameSize, const QMargins &margins) const;
    bool settle();

    QPointer<QWidget> m_window;
    std::optional<QRect> m_pending;
    QMargins m_knownMargins;
    QTimer m_watch;
    int m_checks = 0;
};

} // namespace oxeln
