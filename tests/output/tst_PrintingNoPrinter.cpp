// A machine without any printer: a private CUPS scheduler with no queue.
#include "AppError.h"
#include "OutputTestSupport.h"
#include "PageImage.h"
#include "PreviewPanel.h"
#include "Printing.h"
#include "RichTextView.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace oxeln;
using namespace oxeln::test;

namespace {
const QString kNoPrinter = QStringLiteral("Aucune imprimante par défaut sélectionnée");
}

class PrintingNoPrinterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void printingFailsAndPrintsNothing();
    void previewEmptiesPicturesAndFails();
    void dialogWithoutPrinterIsHarmless();

private:
    std::unique_ptr<QWidget> m_window;
    RichTextView *m_subject = nullptr;
    RichTextView *m_answer = nullptr;
    PreviewPanel *m_panel = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
};

void PrintingNoPrinterTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the private scheduler is a fixture");
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
}

void PrintingNoPrinterTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_subject = new RichTextView(m_window.get());
    m_answer = new RichTextView(m_window.get());
    m_panel = new PreviewPanel(m_window.get());
    m_panel->hide();
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void PrintingNoPrinterTest::cleanup()
{
    QDir::setCurrent(m_oldDir);
    m_window.reset();
    m_dir.reset();
}

void PrintingNoPrinterTest::printingFailsAndPrintsNothing()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    m_answer->SetRtfText(WorksheetRtf(NumberedLines(3)));
    QString message;
    try {
        PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 2, 2, true);
    } catch (const AppError &error) {
        message = error.message();
    }
    QCOMPARE(message, kNoPrinter);
    try {
        CurrentPrinter();
        QFAIL("a current printer without any printer");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), kNoPrinter);
    }
    QCOMPARE(CupsJobs().size(), 0);
}

void PrintingNoPrinterTest::previewEmptiesPicturesAndFails()
{
    // Pictures of an earlier preview, still on the screen.
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                           "<rect width='10' height='10' fill='black'/></svg>";
    for (const QString &name : {QStringLiteral("Temp0.svg"), QStringLiteral("Temp1.svg")}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(svg);
    }
    QVERIFY(m_panel->image1()->load(QStringLiteral("Temp0.svg")));
    QVERIFY(m_panel->image2()->load(QStringLiteral("Temp1.svg")));
    m_window->show();
    m_panel->show();

    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    QString message;
    try {
        m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    } catch (const AppError &error) {
        message = error.message();
    }
    QCOMPARE(message, kNoPrinter);
    QVERIFY(!QFile::exists(QStringLiteral("Temp0.svg")));
    QVERIFY(!QFile::exists(QStringLiteral("Temp1.svg")));
    QVERIFY(!m_panel->image1()->hasPicture());
    QVERIFY(!m_panel->image2()->hasPicture());
    // The panel stays where it was, and does not float.
    QVERIFY(m_panel->isVisible());
    QVERIFY(!m_panel->floatingWindow());

    m_panel->hide();
    try {
        m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    } catch (const AppError &) {
    }
    QVERIFY(!m_panel->isVisible());
}

void PrintingNoPrinterTest::dialogWithoutPrinterIsHarmless()
{
    bool seen = false;
    WhenModal<QPrintDialog>(this, [&seen](QPrintDialog *dialog) {
        seen = true;
        dialog->accept();
    });
    ChooseCurrentPrinter(m_window.get());
    QVERIFY(seen);
    // Nothing to choose from: still no current printer.
    QVERIFY_THROWS_EXCEPTION(AppError, CurrentPrinter());
}

QTEST_MAIN(PrintingNoPrinterTest)
#include "tst_PrintingNoPrinter.moc"
