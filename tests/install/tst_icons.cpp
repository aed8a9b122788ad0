// The icon as desktops and the window show it. The PNGs are committed
// renderings of the SVG, so an SVG edited without running
// scripts/render-icons.sh shows up here; and the window must offer each
// drawn size rather than one scaled picture.
#include "ExercisePalette.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString pngPath(int size)
{
    return QStringLiteral(OXELN_ICON_DIR "/hicolor/%1x%1/apps/oxeln.png").arg(size);
}

// Share of pixels (0 to 1) that differ clearly in some premultiplied
// channel. Two renderers disagree a little along every edge; a changed
// colour, shape or place makes whole areas differ.
double differingShare(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            const int most = std::max({std::abs(qRed(p[column]) - qRed(q[column])),
                                       std::abs(qGreen(p[column]) - qGreen(q[column])),
                                       std::abs(qBlue(p[column]) - qBlue(q[column])),
                                       std::abs(qAlpha(p[column]) - qAlpha(q[column]))});
            differing += most > 64 ? 1 : 0;
        }
    }
    return double(differing) / (x.width() * x.height());
}

} // namespace

class tst_Icons : public QObject
{
    Q_OBJECT

private slots:
    void pngIsTheSvgRendered_data();
    void pngIsTheSvgRendered();
    void windowOffersEveryDrawnSize();
};

void tst_Icons::pngIsTheSvgRendered_data()
{
    QTest::addColumn<int>("size");
    for (const int size : kSizes)
        QTest::addRow("%d", size) << size;
}

void tst_Icons::pngIsTheSvgRendered()
{
    QFETCH(int, size);
    const QImage png(pngPath(size));
    QVERIFY2(!png.isNull(), qPrintable(pngPath(size)));
    QCOMPARE(png.size(), QSize(size, size));

    QSvgRenderer svg(QStringLiteral(OXELN_ICON_DIR "/oxeln.svg"));
    QVERIFY(svg.isValid());
    QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    svg.render(&painter);
    painter.end();

    // Here the two renderers differ on one pixel or none; recolouring the
    // minus sign changes about 2 % of the pixels at every size.
    const double share = differingShare(png, drawn);
    QVERIFY2(share < 0.005, qPrintable(QStringLiteral("%1 % of the pixels differ: run scripts/render-icons.sh")
                                           .arg(share * 100)));
}

void tst_Icons::windowOffersEveryDrawnSize()
{
    oxeln::Worksheet worksheet;
    TForm1 form(worksheet);
    // Set once the event loop runs, so that the window shows sooner.
    QTRY_VERIFY(!form.windowIcon().availableSizes().isEmpty());
    const QIcon icon = form.windowIcon();
    QCOMPARE(form.exercises()->windowIcon().availableSizes(), icon.availableSizes());
    for (const int size : kSizes) {
        const QImage shown = icon.pixmap(QSize(size, size)).toImage();
        const QImage png(pngPath(size));
        QCOMPARE(shown.size(), QSize(size, size));
        // Compared premultiplied, as the icon engine holds it.
        QVERIFY2(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                     == png.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 qPrintable(QStringLiteral("size %1 is not the drawn PNG").arg(size)));
    }
}

QTEST_MAIN(tst_Icons)
#include "tst_icons.moc"
