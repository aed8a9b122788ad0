// The PDF files made by the page flow and our writer against the toolkit's
// writer on the same documents: the same pages and text as pdftotext reads
// them in layout mode, fonts embedded, the answers highlighted.
#include "DocumentExport.h"
#include "OutputTestSupport.h"
#include "RtfReader.h"
#include "ViewDocument.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace oxeln;
using namespace oxeln::test;

namespace {

constexpr qreal kViewDpi = 96;

std::unique_ptr<QTextDocument> viewDocument(const QByteArray &rtf)
{
    auto document = NewViewDocument(ViewFont(), kViewDpi);
    RtfReader::read(rtf, document.get(), kViewDpi);
    return document;
}

QString written(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray layoutText(const QString &pdf)
{
    return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).out;
}

} // namespace

class PdfWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameTextAsTheToolkitsWriter();
    void fromTheRtfAsFromTheDocument();
    void moreGlyphsThanOneFontHolds();
    void whatTheFlowCannotDrawGoesThroughTheToolkit();

private:
    QTemporaryDir m_dir;
};

void PdfWriterTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char *tool : {"pdftotext", "pdfinfo", "pdffonts", "pdftoppm"})
        QVERIFY2(HaveTool(QString::fromLatin1(tool)), tool);
}

// Twenty worksheets: ten random suites of drills of 40 lines, subject and
// answer key each.
void PdfWriterTest::sameTextAsTheToolkitsWriter()
{
    const std::vector<Drill> kinds(AllDrills.begin(), AllDrills.end());
    QRandomGenerator random(21);
    for (int sheet = 0; sheet < 10; ++sheet) {
        std::vector<Drill> drills;
        for (int i = 0; i < 2 + sheet % 4; ++i)
            drills.push_back(kinds[std::size_t(random.bounded(int(kinds.size())))]);
        const SampleWorksheet worksheet = RealWorksheet(drills, 40, 1 + sheet % 3, 1000u + unsigned(sheet));
        for (const bool answer : {false, true}) {
            const QByteArray &rtf = answer ? worksheet.answerRtf : worksheet.subjectRtf;
            const QString name = QStringLiteral("%1-%2").arg(sheet).arg(answer ? QStringLiteral("cor") : QStringLiteral("sujet"));
            const auto document = viewDocument(rtf);
            const QString ours = written(m_dir, name + QStringLiteral(".pdf"), PdfBytes(*document, kViewDpi, QStringLiteral("Sujet")));
            const QString theirs = written(m_dir, name + QStringLiteral("-qt.pdf"),
                                           ToolkitPdfBytes(*document, kViewDpi, QStringLiteral("Sujet")));
            QVERIFY(!ours.isEmpty() && !theirs.isEmpty());
            QCOMPARE(PdfInfo(ours, QStringLiteral("Producer")), ProducerName()); // made by our writer
            QCOMPARE(PdfPageCount(ours), PdfPageCount(theirs));
            QVERIFY(PdfPageCount(ours) >= 2);
            const QByteArray text = layoutText(ours);
            QVERIFY(text.contains("01/"));
            QCOMPARE(text, layoutText(theirs));
            const QList<std::pair<QString, bool>> fonts = PdfFonts(ours);
            QCOMPARE(fonts.size(), PdfFonts(theirs).size());
            for (const auto &[font, embedded] : fonts)
                QVERIFY2(embedded, qPrintable(font));
            if (answer) {
                const int yellow = PdfYellowPixels(ours);
                QVERIFY(yellow > 100);
                QVERIFY2(qAbs(yellow - PdfYellowPixels(theirs)) <= yellow / 50, qPrintable(QString::number(yellow)));
            }
        }
    }
}

void PdfWriterTest::fromTheRtfAsFromTheDocument()
{
    const SampleWorksheet worksheet = RealWorksheet({Drill::Power, Drill::Mult, Drill::S2}, 40, 2, 7);
    const auto document = viewDocument(worksheet.answerRtf);
    const QString fromDocument = written(m_dir, QStringLiteral("document.pdf"), PdfBytes(*document, kViewDpi, QStringLiteral("Corrigé")));
    const QString fromRtf = written(m_dir, QStringLiteral("rtf.pdf"), PdfBytesOfRtf(worksheet.answerRtf, kViewDpi, QStringLiteral("Corrigé")));
    QCOMPARE(PdfInfo(fromRtf, QStringLiteral("Title")), QStringLiteral("Corrigé"));
    QCOMPARE(layoutText(fromRtf), layoutText(fromDocument));
    QCOMPARE(PdfYellowPixels(fromRtf, 2), PdfYellowPixels(fromDocument, 2));
}

// A byte a glyph: past 256 glyphs of one face, a second font of that face.
void PdfWriterTest::moreGlyphsThanOneFontHolds()
{
    const auto document = viewDocument(RealWorksheet({Drill::Plus}, 5).subjectRtf);
    QTextCursor cursor(document.get());
    cursor.movePosition(QTextCursor::End);
    QString many;
    for (char16_t c = 0x100; c < 0x250; ++c)
        many += QChar(c) + (c % 40 == 0 ? QStringLiteral(" ") : QString());
    cursor.insertText(many + QStringLiteral(" (+3)"));
    const QString ours = written(m_dir, QStringLiteral("many.pdf"), PdfBytes(*document, kViewDpi, QStringLiteral("Sujet")));
    const QString theirs = written(m_dir, QStringLiteral("many-qt.pdf"), ToolkitPdfBytes(*document, kViewDpi, QStringLiteral("Sujet")));
    QCOMPARE(PdfInfo(ours, QStringLiteral("Producer")), ProducerName());
    QVERIFY(PdfFonts(ours).size() > PdfFonts(theirs).size());
    QCOMPARE(layoutText(ours), layoutText(theirs));
}

// An underlined word pasted into a view: the toolkit's writer makes the
// file, with the same text the flow would have given.
void PdfWriterTest::whatTheFlowCannotDrawGoesThroughTheToolkit()
{
    const auto document = viewDocument(RealWorksheet({Drill::Plus}, 10).subjectRtf);
    QTextCursor cursor(document.get());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat underlined;
    underlined.setFontUnderline(true);
    cursor.insertText(QStringLiteral("collé souligné"), underlined);
    const QString pdf = written(m_dir, QStringLiteral("underlined.pdf"), PdfBytes(*document, kViewDpi, QStringLiteral("Sujet")));
    QVERIFY(PdfInfo(pdf, QStringLiteral("Producer")).startsWith(QStringLiteral("Qt ")));
    QVERIFY(layoutText(pdf).contains("collé souligné"));
}

QTEST_MAIN(PdfWriterTest)
#include "tst_PdfWriter.moc"
