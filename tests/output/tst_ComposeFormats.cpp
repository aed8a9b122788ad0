// oxeln-compose --format pdf|odt|txt, run end to end.
#include "Composer.h"
#include "MarkupToRtf.h"
#include "OutputTestSupport.h"
#include "RichTextView.h"
#include "RtfCodePage.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace oxeln;
using namespace oxeln::test;

namespace {

QByteArray contentOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The documents the composer makes for "--seed 5 --lines N + x".
compose::ComposedWorksheet expectedSheet(int lines)
{
    compose::ComposeOptions options;
    options.seed = 5;
    options.lineCount = lines;
    options.steps = {{Drill::Plus}, {Drill::Mult}};
    return compose::composeWorksheet(options);
}

QString viewText(const std::string &markup)
{
    RichTextView view;
    view.SetRtfText(QByteArray::fromStdString(MarkupToRtf(markup)));
    return view.ContentText();
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Without a display and without a chosen platform, as in a cron job.
Run runBinary(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(OXELN_COMPOSE_BINARY), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class ComposeFormatsTest : public QObject
{
    Q_OBJECT

private slots:
    void pdfHoldsTheViewsText();
    void odtReadsAsTheViewsText();
    void txtIsThePlainTextInWindows1252();
    void uncreatableFileIsReported_data();
    void uncreatableFileIsReported();
    void theExtensionChoosesTheFormat();
};

void ComposeFormatsTest::pdfHoldsTheViewsText()
{
    QTemporaryDir dir;
    const Run run = runBinary({"--format", "pdf", "--seed", "5", "--lines", "20", "--out", "fiche.pdf", "+", "x"},
                            dir.path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    const compose::ComposedWorksheet sheet = expectedSheet(20);
    QCOMPARE(run.out, QByteArray::fromStdString(sheet.referenceCode) + "\n");

    for (const auto &[file, markup] : {std::pair{QStringLiteral("fiche.pdf"), &sheet.subject},
                                       std::pair{QStringLiteral("fiche_Cor.pdf"), &sheet.answer}}) {
        const QString pdf = dir.filePath(file);
        QVERIFY2(QFile::exists(pdf), qPrintable(file));
        const int pages = PdfPageCount(pdf);
        QVERIFY(pages >= 2);
        QCOMPARE(NonBlank(PdfWords(pdf).join(QString())), NonBlank(viewText(*markup)));
        const ToolResult info = RunTool(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.out.contains("595 x 842 pts (A4)"));
        // The window's 10 mm margins, and its titles.
        const QPointF first = PdfFirstWord(pdf);
        QVERIFY(qAbs(first.x() - 28.35) < 1 && qAbs(first.y() - 28.35) < 1);
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Title")),
                 file.contains(QStringLiteral("_Cor")) ? QStringLiteral("Corrigé") : QStringLiteral("Sujet"));
    }
}

void ComposeFormatsTest::odtReadsAsTheViewsText()
{
    if (!HaveTool(QStringLiteral("soffice")))
        QSKIP("LibreOffice (soffice) is not installed");
    QTemporaryDir dir;
    const Run run = runBinary({"--format=odt", "--seed=5", "--lines=10", "--out", "fiche.odt", "+", "x"}, dir.path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    const compose::ComposedWorksheet sheet = expectedSheet(10);
    QCOMPARE(LibreOfficeConvert(dir.path(), QStringLiteral("txt:Text (encoded):UTF8"),
                                {dir.filePath(QStringLiteral("fiche.odt")), dir.filePath(QStringLiteral("fiche_Cor.odt"))})
                 .exitCode,
             0);
    QCOMPARE(LibreOfficeText(dir.filePath(QStringLiteral("out/fiche.txt"))), ComparableText(viewText(sheet.subject)));
    QCOMPARE(LibreOfficeText(dir.filePath(QStringLiteral("out/fiche_Cor.txt"))), ComparableText(viewText(sheet.answer)));
}

void ComposeFormatsTest::txtIsThePlainTextInWindows1252()
{
    QTemporaryDir dir;
    const Run run = runBinary({"--format=txt", "--seed=5", "--lines=10", "--out", "fiche.txt", "+", "x"}, dir.path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    const compose::ComposedWorksheet sheet = expectedSheet(10);
    const QByteArray subject = contentOf(dir.filePath(QStringLiteral("fiche.txt")));
    const QByteArray answer = contentOf(dir.filePath(QStringLiteral("fiche_Cor.txt")));
    QCOMPARE(subject, cp1252::encode(viewText(sheet.subject)));
    QCOMPARE(answer, cp1252::encode(viewText(sheet.answer)));
    QVERIFY(subject.contains("Pr\xe9nom :"));
    QVERIFY(subject.contains("\r\n01/("));
    QVERIFY(answer.contains("CORRIGE"));
}

void ComposeFormatsTest::uncreatableFileIsReported_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("pdf") << QStringLiteral("pdf");
    QTest::newRow("odt") << QStringLiteral("odt");
    QTest::newRow("txt") << QStringLiteral("txt");
}

void ComposeFormatsTest::uncreatableFileIsReported()
{
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("absent/fiche.") + format);
    const Run run = runBinary({"--format", format, "--out", path, "+"}, dir.path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("Impossible de créer le fichier %1\n").arg(path));
}

void ComposeFormatsTest::theExtensionChoosesTheFormat()
{
    QTemporaryDir dir;
    for (const auto &[name, start] : {std::pair{"fiche.pdf", "%PDF-"}, std::pair{"fiche.odt", "PK"},
                                      std::pair{"fiche.TXT", "Ref "}, std::pair{"fiche", "{\\rtf1"}}) {
        const Run run = runBinary({"--seed", "5", "--out", QString::fromLatin1(name), "+"}, dir.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(contentOf(dir.filePath(QString::fromLatin1(name))).startsWith(start), name);
    }
    // An explicit format the extension contradicts: nothing is written.
    const Run refused = runBinary({"--format", "pdf", "--out", "autre.odt", "+"}, dir.path());
    QCOMPARE(refused.exitCode, 2);
    QVERIFY(refused.err.startsWith("oxeln-compose : --format pdf ne correspond pas"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("autre.odt"))));
}

QTEST_MAIN(ComposeFormatsTest)
#include "tst_ComposeFormats.moc"
