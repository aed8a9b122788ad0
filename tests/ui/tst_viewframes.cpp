// Both views' frames drawn whole, as the screen shows them, at the scale
// factor the test runs under (QT_SCALE_FACTOR 1, 1.5, 2): every edge of
// each view has a row (or column) of frame colour along its whole length.
#include "RichTextView.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

class TestViewFrames : public QObject
{
    Q_OBJECT

private slots:
    void framesAreWhole_data();
    void framesAreWhole();
};

namespace {

// A pixel of the frame's line: darker than the window and than the views.
bool framePixel(QRgb pixel)
{
    return qGray(pixel) < 0xD8;
}

// Whether one of the lines from..to (rows when horizontal) inside span is
// frame colour nearly all along.
bool hasLine(const QImage &image, bool horizontal, int from, int to, int spanStart, int spanEnd)
{
    for (int line = from; line <= to; ++line) {
        int dark = 0;
        for (int along = spanStart; along <= spanEnd; ++along)
            dark += framePixel(horizontal ? image.pixel(along, line) : image.pixel(line, along));
        if (dark >= (spanEnd - spanStart + 1) * 95 / 100)
            return true;
    }
    return false;
}

} // namespace

void TestViewFrames::framesAreWhole_data()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("designed") << QSize(732, 420);
    QTest::newRow("odd") << QSize(801, 533);
    QTest::newRow("large") << QSize(1237, 771);
}

void TestViewFrames::framesAreWhole()
{
    QFETCH(QSize, client);
    oxeln::Worksheet worksheet;
    TForm1 form(worksheet);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(client);
    form.btnPlus->click();
    QTest::qWait(50);
    const qreal ratio = form.devicePixelRatioF();
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY2(shot.width() >= qFloor(client.width() * ratio) - 1, qPrintable(QString::number(shot.width())));

    for (oxeln::RichTextView *view : {form.RxE1, form.RxE2}) {
        const QRect r = view->geometry();
        // The view's edges in the screen's pixels, and a pixel either side
        // for the rounding; the corners left out.
        const int left = qFloor(r.left() * ratio), right = qCeil((r.right() + 1) * ratio) - 1;
        const int top = qFloor(r.top() * ratio), bottom = qCeil((r.bottom() + 1) * ratio) - 1;
        const int inset = qCeil(3 * ratio);
        const QString where = QStringLiteral("%1 at %2x%3, scale %4").arg(view->objectName()).arg(client.width())
                                  .arg(client.height()).arg(ratio);
        const int band = qCeil(ratio) + 1;
        QVERIFY2(hasLine(shot, true, top, top + band, left + inset, right - inset), qPrintable(where + ", top"));
        QVERIFY2(hasLine(shot, true, bottom - band, bottom, left + inset, right - inset), qPrintable(where + ", bottom"));
        QVERIFY2(hasLine(shot, false, left, left + band, top + inset, bottom - inset), qPrintable(where + ", left"));
        QVERIFY2(hasLine(shot, false, right - band, right, top + inset, bottom - inset), qPrintable(where + ", right"));
    }
}

QTEST_MAIN(TestViewFrames)
#include "tst_viewframes.moc"
