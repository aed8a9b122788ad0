#pragma once

#include "Worksheet.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QPageLayout>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <string>
#include <vector>

namespace oxeln {
class RichTextView;
}

namespace oxeln::test {

// RTF as the worksheet writes it: its fixed header, one paragraph per line.
QByteArray WorksheetRtf(const QStringList &lines);

// A worksheet as the drills make it, in RTF: the given drills with line count and interline count, seeded for repeatability.
struct SampleWorksheet
{
    QByteArray subjectRtf;
    QByteArray answerRtf;
    std::string referenceCode;
};
SampleWorksheet RealWorksheet(const std::vector<Drill> &drills, int lineCount = 30, int interlineCount = 2,
                              unsigned seed = 20240917);

// The words of a text, and of a PDF file's text: a printout holds exactly
// the view's words, in order, however its lines wrap.
QStringList Words(const QString &text);
QStringList PdfWords(const QString &pdfFile);
// Every character but the blanks, in order: the same for a text and its
// printout even where a word too long for the line is cut in two.
QString NonBlank(const QString &text);

// Distinct question-like lines: "001/ (+3) + (-42) = ...".
QStringList NumberedLines(int count, int firstNumber = 1);

struct ToolResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Lines of a NumberedLines document that one page holds, as FormatRange lays
// it out on a 1200 dpi printer with this page layout.
int LinesPerPage(const QPageLayout &layout);

// Pages of view as FormatRange lays them out with this page layout at 1200 dpi
// (in a page enlarged by 1 / scale, as a file export draws it at scale).
int PagesOf(RichTextView &view, const QPageLayout &layout, qreal scale = 1.0);

// Runs a command line tool; exitCode -1 when it could not start or timed out.
ToolResult RunTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000);
bool HaveTool(const QString &program);

int PdfPageCount(const QString &pdfFile);
// The text of each page (pdftotext -layout), blanks runs made single, blank
// lines dropped.
QList<QStringList> PdfPageLines(const QString &pdfFile);

// A PDF file's property from pdfinfo ("Title", "Creator", "Page size").
QString PdfInfo(const QString &pdfFile, const QString &key);
// Its fonts, with whether each is embedded (pdffonts).
QList<std::pair<QString, bool>> PdfFonts(const QString &pdfFile);
// Where the first word of a page stands, in points from the top left.
QPointF PdfFirstWord(const QString &pdfFile, int page = 1);
// Highlighter-yellow pixels of a page rendered at 50 dpi (pdftoppm).
int PdfYellowPixels(const QString &pdfFile, int page = 1);

// Converts files with LibreOffice, a private profile under work, into
// work/out ("txt:Text (encoded):UTF8", "pdf"...).
ToolResult LibreOfficeConvert(const QString &work, const QString &target, const QStringList &files);
// LibreOffice's text export of a file, as a view's ContentText compares
// (no BOM, no six-per-em spaces it adds, LF line ends, no final blank lines).
QString LibreOfficeText(const QString &txtFile);
// A view's text in the same form.
QString ComparableText(QString text);

// Jobs of the private scheduler that CUPS_SERVER names.
struct CupsJob
{
    int id = 0;
    QString name;
    QString state;
    int impressions = 0;
    int copies = 0;
    QString printer;
};
QList<CupsJob> CupsJobs(const QString &which = QStringLiteral("all"));
// Waits until the scheduler has no pending job; false on timeout.
bool WaitForCupsIdle(int timeoutMs = 60000);
// The document a job carried, kept in the scheduler's spool.
QString CupsJobDocument(int jobId);
// Jobs whose id is above lastId.
QList<CupsJob> CupsJobsAfter(int lastId);
int LastCupsJobId();

// Calls act with the next modal dialog of type Dialog once it is up (polls
// for about five seconds).
template <typename Dialog, typename Act>
void WhenModal(QObject *context, Act act, int triesLeft = 500)
{
    QTimer::singleShot(10, context, [=] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget()))
            act(dialog);
        else if (triesLeft > 0)
            WhenModal<Dialog>(context, act, triesLeft - 1);
    });
}

} // namespace oxeln::test
