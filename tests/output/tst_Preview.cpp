// The two-page preview, on the private scheduler's default printer.
#include "AppError.h"
#include "OutputTestSupport.h"
#include "PageImage.h"
#include "PreviewPanel.h"
#include "Printing.h"
#include "RichEditEMFPrint.h"
#include "RichTextView.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <memory>

using namespace oxeln;
using namespace oxeln::test;

namespace {

// Dark pixels of an SVG page drawn on white.
int inkOf(const QString &svgFile)
{
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        return -1;
    QImage image(420, 594, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

QByteArray contentOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void longSubjectGivesTwoPagesLikeThePrinter();
    void oneLineGivesOnePage();
    void paragraphBreaksGiveABlankSecondPage();
    void oldPagesAreReplaced();
    void probeFileIsEmptied();
    void unwritableDirectoryDoesNothing_data();
    void unwritableDirectoryDoesNothing();
    void floatsCentredAndReusesItsWindow();
    void closingTheWindowHidesThePanel();
    void dialogsComeAboveIt();
    void panelContent_data();
    void panelContent();

private:
    // A page file in the panel's own folder.
    QString page(int index) const { return m_panel->scratchFolder() + QStringLiteral("/Temp%1.svg").arg(index); }

    std::unique_ptr<QWidget> m_window;
    RichTextView *m_subject = nullptr;
    PreviewPanel *m_panel = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    QStringList m_immutable;
};

void PreviewTest::init()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the private scheduler is a fixture");
    m_window = std::make_unique<QWidget>();
    m_window->resize(800, 600);
    m_subject = new RichTextView(m_window.get());
    m_panel = new PreviewPanel(m_window.get());
    m_window->show();
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void PreviewTest::cleanup()
{
    QDir::setCurrent(m_oldDir);
    if (!m_immutable.isEmpty())
        RunTool(QStringLiteral("chattr"), QStringList{QStringLiteral("-i")} + m_immutable);
    m_immutable.clear();
    m_window.reset();
    m_dir.reset();
}

void PreviewTest::longSubjectGivesTwoPagesLikeThePrinter()
{
    const QStringList lines = NumberedLines(300);
    m_subject->SetRtfText(WorksheetRtf(lines));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());

    QVERIFY(QFile::exists(page(0)));
    QVERIFY(QFile::exists(page(1)));
    QVERIFY(!QFile::exists(page(2)));
    QVERIFY(m_panel->image1()->hasPicture());
    QVERIFY(m_panel->image2()->hasPicture());
    QVERIFY(m_panel->isVisible());

    // The pages break where the printer's pages break.
    QPrinter &printer = CurrentPrinter();
    const int dpi = printer.resolution();
    QSvgRenderer page0(page(0));
    QCOMPARE(page0.viewBox().width(), qRound(PageFrame(printer).width() / 2540.0 * dpi));
    QTemporaryDir pdfDir;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(pdfDir.filePath(QStringLiteral("pages.pdf")));
    pdf.setPageLayout(printer.pageLayout());
    PrintDocument(pdf, *m_subject->document(), m_subject->logicalDpiX(), QStringLiteral("Sujet"));
    const QList<QStringList> pages = PdfPageLines(pdf.outputFileName());
    QVERIFY(pages.size() >= 3);
    const QByteArray svg0 = contentOf(page(0));
    const QByteArray svg1 = contentOf(page(1));
    auto number = [](const QString &line) { return line.section(QLatin1Char('/'), 0, 0).toUtf8() + "/"; };
    QVERIFY(svg0.contains(number(pages[0].constFirst())));
    QVERIFY(svg0.contains(number(pages[0].constLast())));
    QVERIFY(!svg0.contains(number(pages[1].constFirst())));
    QVERIFY(svg1.contains(number(pages[1].constFirst())));
    QVERIFY(svg1.contains(number(pages[1].constLast())));
    QVERIFY(!svg1.contains(number(pages[2].constFirst())));
}

void PreviewTest::oneLineGivesOnePage()
{
    // No paragraph break: the length and the positions agree.
    m_subject->SetRtfText("{\\rtf1\\ansi Une seule ligne}");
    QCOMPARE(m_subject->ContentLength(), 15);
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(QFile::exists(page(0)));
    QVERIFY(!QFile::exists(page(1)));
    QVERIFY(m_panel->image1()->hasPicture());
    QVERIFY(!m_panel->image2()->hasPicture());
    QVERIFY(inkOf(page(0)) > 0);
}

void PreviewTest::paragraphBreaksGiveABlankSecondPage()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(4)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(inkOf(page(0)) > 0);
    QCOMPARE(inkOf(page(1)), 0);
    QVERIFY(m_panel->image2()->hasPicture());
}

void PreviewTest::oldPagesAreReplaced()
{
    m_subject->SetRtfText(RealWorksheet({Drill::Plus, Drill::Minus, Drill::S1}, 40, 2).subjectRtf);
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(QFile::exists(page(1)));

    m_subject->SetRtfText("{\\rtf1\\ansi Court}");
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(!QFile::exists(page(1)));
    QVERIFY(!m_panel->image2()->hasPicture());
    QVERIFY(!contentOf(page(0)).contains("01/"));
    QVERIFY(contentOf(page(0)).contains("Court"));
}

void PreviewTest::probeFileIsEmptied()
{
    QFile probe(m_panel->scratchFolder() + QStringLiteral("/TWFile.txt"));
    QVERIFY(probe.open(QIODevice::WriteOnly));
    probe.write("des notes à garder ?");
    probe.close();
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(probe.exists());
    QCOMPARE(probe.size(), 0);
}

void PreviewTest::unwritableDirectoryDoesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("current folder unwritable") << QStringLiteral("proc");
    QTest::newRow("own folder immutable") << QStringLiteral("immutable");
}

void PreviewTest::unwritableDirectoryDoesNothing()
{
    QFETCH(QString, kind);
    // A first preview puts pictures on the screen.
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(300)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    const QByteArray oldPage0 = contentOf(page(0));
    QVERIFY(oldPage0.contains("001/"));

    // Root writes anywhere, except in /proc and in an immutable folder
    // (whose probe file, already there, is immutable too).
    const bool currentFolder = kind == QLatin1String("proc");
    if (currentFolder) {
        // The current folder is not where the pages go: the preview works.
        QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
    } else {
        const QStringList paths{m_panel->scratchFolder() + QStringLiteral("/TWFile.txt"), m_panel->scratchFolder()};
        if (RunTool(QStringLiteral("chattr"), QStringList{QStringLiteral("+i")} + paths).exitCode != 0)
            QSKIP("chattr +i is not available on this file system");
        m_immutable = paths;
    }
    QCOMPARE(CanWriteWorkDir(m_panel->scratchFolder()), currentFolder);

    m_panel->hidePanel();
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(2, 700)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QCOMPARE(m_panel->isVisible(), currentFolder);
    QVERIFY(m_panel->image1()->hasPicture());
    QCOMPARE(contentOf(page(0)).contains("700/"), currentFolder);
    if (!currentFolder) {
        QCOMPARE(contentOf(page(0)), oldPage0);
        QVERIFY(m_panel->image2()->hasPicture());
        QVERIFY(QFile::exists(page(1)));
    }
}

void PreviewTest::floatsCentredAndReusesItsWindow()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(300)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QWidget *window = m_panel->floatingWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QVERIFY(window->windowFlags() & Qt::Tool);
    QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(window->size(), QSize(493, 497));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QCOMPARE(window->pos(), QPoint((screen.width() - 493) / 2, (screen.height() - 497) / 2));
    QCOMPARE(m_panel->verticalScrollBar()->value(), 0);

    // The user moves, resizes and scrolls; a second preview keeps the window.
    window->move(40, 30);
    window->resize(493, 400);
    m_panel->verticalScrollBar()->setValue(500);
    QVERIFY(m_panel->verticalScrollBar()->value() > 0);
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QCOMPARE(m_panel->floatingWindow(), window);
    QCOMPARE(window->pos(), QPoint(40, 30));
    QCOMPARE(window->size(), QSize(493, 400));
    QCOMPARE(m_panel->verticalScrollBar()->value(), 0);
}

void PreviewTest::closingTheWindowHidesThePanel()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QWidget *window = m_panel->floatingWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Aperçu"));
    QVERIFY(window->close());
    QVERIFY(!m_panel->isVisible());
    QVERIFY(m_panel->isHidden());

    // Esc, as the window system delivers it, closes it too.
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QVERIFY(m_panel->isHidden());

    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(window->isVisible());
    QVERIFY(m_panel->isVisible());
    m_panel->hidePanel();
    QVERIFY(!window->isVisible());
    QVERIFY(!m_panel->isVisible());
}

void PreviewTest::dialogsComeAboveIt()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    const QWindow *window = m_panel->floatingWindow()->windowHandle();
    QVERIFY(window->flags() & Qt::WindowStaysOnTopHint);
    // While a dialog of the program is up, the preview does not stay above it.
    bool onTopUnderDialog = true;
    QTimer::singleShot(50, this, [&onTopUnderDialog, window] {
        onTopUnderDialog = window->flags() & Qt::WindowStaysOnTopHint;
        if (QWidget *dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    QMessageBox box(QMessageBox::Critical, QStringLiteral("oxeln"), QStringLiteral("Impression en cours."),
                    QMessageBox::Ok, m_window.get());
    box.exec();
    QVERIFY(!onTopUnderDialog);
    QVERIFY(window->flags() & Qt::WindowStaysOnTopHint);
}

void PreviewTest::panelContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label11") << QStringLiteral("Label11") << QRect(217, 8, -1, -1) << QStringLiteral("Page 1");
    QTest::newRow("pnlImage1") << QStringLiteral("pnlImage1") << QRect(5, 25, 460, 634) << QString();
    QTest::newRow("Image1") << QStringLiteral("Image1") << QRect(20, 20, 420, 594) << QString();
    QTest::newRow("Label12") << QStringLiteral("Label12") << QRect(217, 668, -1, -1) << QStringLiteral("Page 2");
    QTest::newRow("pnlImage2") << QStringLiteral("pnlImage2") << QRect(5, 685, 460, 634) << QString();
    QTest::newRow("Image2") << QStringLiteral("Image2") << QRect(20, 20, 420, 594) << QString();
    QTest::newRow("lblfin_scrbox") << QStringLiteral("lblfin_scrbox") << QRect(24, 1252, 3, 13) << QString();
    QTest::newRow("Label13") << QStringLiteral("Label13") << QRect(24, 1312, 3, 13) << QString();
}

void PreviewTest::panelContent()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QCOMPARE(m_panel->objectName(), QStringLiteral("ScrollBox1"));
    QVERIFY(m_panel->isHidden());
    QCOMPARE(m_panel->minimumWidth(), 493);
    QCOMPARE(m_panel->maximumWidth(), 493);
    QCOMPARE(m_panel->widget()->height(), 1325);
    auto *widget = m_panel->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (geometry.width() > 0)
        QCOMPARE(widget->size(), geometry.size());
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
}

QTEST_MAIN(PreviewTest)
#include "tst_Preview.moc"
