#include "OutputTestSupport.h"

#include "Composer.h"
#include "MarkupToRtf.h"
#include "Printing.h"
#include "RichTextView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QThread>
#include <QUrl>

#include <stdexcept>

namespace oxeln::test {

namespace {

// The fixed header of the worksheet's RTF.
const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deftab2880\\deff0\\deflang1036{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}"
    "{\\f1\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fprq1\\fcharset0 Courier New;}"
    "{\\f3\\froman\\fprq2\\fcharset2 Symbol;}{\\f4\\fswiss\\fcharset0 Arial;}}{\\colortbl ;\\red0\\green0\\blue0;"
    "\\red128\\green0\\blue0;\\red0\\green128\\blue0;\\red128\\green128\\blue0;\\red0\\green0\\blue128;"
    "\\red128\\green0\\blue128;\\red0\\green128\\blue128;\\red128\\green128\\blue128;\\red192\\green192\\blue192;"
    "\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue255;"
    "\\red255\\green0\\blue255;\\red0\\green255\\blue255;\\red255\\green255\\blue255;}\\viewkind4\\uc1\\pard\\f0 ";

QString cupsSocket()
{
    return qEnvironmentVariable("CUPS_SERVER");
}

} // namespace

QByteArray WorksheetRtf(const QStringList &lines)
{
    QStringEncoder encoder("windows-1252");
    QByteArray rtf(kHeader);
    rtf += "\\f2\\fs20 ";
    for (const QString &line : lines) {
        QByteArray bytes = encoder.encode(line);
        bytes.replace("\\", "\\\\").replace("{", "\\{").replace("}", "\\}").replace("\t", "\\tab ");
        rtf += bytes + "\\par ";
    }
    return rtf + "}";
}

SampleWorksheet RealWorksheet(const std::vector<Drill> &drills, int lineCount, int interlineCount, unsigned seed)
{
    compose::ComposeOptions options;
    options.seed = seed;
    options.lineCount = lineCount;
    options.interlineCount = interlineCount;
    for (const Drill drill : drills)
        options.steps.push_back({drill});
    const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
    return {QByteArray::fromStdString(MarkupToRtf(sheet.subject)), QByteArray::fromStdString(MarkupToRtf(sheet.answer)),
            sheet.referenceCode};
}

QStringList Words(const QString &text)
{
    return text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList PdfWords(const QString &pdfFile)
{
    const ToolResult text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfFile,
                                                                  QStringLiteral("-")});
    return Words(QString::fromUtf8(text.out));
}

QString NonBlank(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!c.isSpace())
            out += c;
    }
    return out;
}

QStringList NumberedLines(int count, int firstNumber)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const int n = firstNumber + i;
        lines << QStringLiteral("%1/ (+%2) + (-%3) = %4 Ligne%1")
                     .arg(n, 3, 10, QLatin1Char('0'))
                     .arg(n % 97 + 1)
                     .arg(n * 7 % 89 + 1)
                     .arg(QString(n % 5 + 1, QLatin1Char('.')));
    }
    return lines;
}

int LinesPerPage(const QPageLayout &layout)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("measure.pdf")));
    printer.setPageLayout(layout);
    RichTextView view;
    view.SetRtfText(WorksheetRtf(NumberedLines(300)));
    QPainter painter(&printer);
    const QRect page = PrintableAreaTwips(printer);
    QRect used = page;
    const int next = view.FormatRange(&painter, &printer, used, page, 0, false);
    painter.end();
    return view.document()->findBlock(next).blockNumber();
}

int PagesOf(RichTextView &view, const QPageLayout &layout, qreal scale)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("measure.pdf")));
    printer.setPageLayout(layout);
    QPainter painter(&printer);
    const QRect page = ScaledPageTwips(PrintableAreaTwips(printer), scale);
    const int end = view.document()->characterCount() - 1;
    int pages = 0;
    for (int position = 0; pages < 1000;) {
        QRect used = page;
        const int next = view.FormatRange(&painter, &printer, used, page, position, false);
        ++pages;
        if (next <= position || next >= end)
            break;
        position = next;
    }
    painter.end();
    QRect none;
    view.FormatRange(nullptr, nullptr, none, none, 0, false);
    return pages;
}

ToolResult RunTool(const QString &program, const QStringList &arguments, int timeoutMs)
{
    ToolResult result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return result;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

bool HaveTool(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

int PdfPageCount(const QString &pdfFile)
{
    const ToolResult info = RunTool(QStringLiteral("pdfinfo"), {pdfFile});
    for (const QByteArray &line : info.out.split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

QList<QStringList> PdfPageLines(const QString &pdfFile)
{
    const ToolResult text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfFile,
                                                                  QStringLiteral("-")});
    QList<QStringList> pages;
    const QStringList rawPages = QString::fromUtf8(text.out).split(QLatin1Char('\f'));
    // pdftotext ends every page with a form feed.
    for (qsizetype p = 0; p + 1 < rawPages.size() || (p == 0 && rawPages.size() == 1); ++p) {
        QStringList lines;
        for (const QString &line : rawPages[p].split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                lines << line.simplified();
        }
        pages << lines;
    }
    return pages;
}

QString PdfInfo(const QString &pdfFile, const QString &key)
{
    const ToolResult info = RunTool(QStringLiteral("pdfinfo"), {pdfFile});
    for (const QString &line : QString::fromUtf8(info.out).split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    }
    return QString();
}

QList<std::pair<QString, bool>> PdfFonts(const QString &pdfFile)
{
    // name, type..., encoding, emb, sub, uni, object, generation
    QList<std::pair<QString, bool>> fonts;
    const QStringList lines = QString::fromUtf8(RunTool(QStringLiteral("pdffonts"), {pdfFile}).out).split(u'\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() >= 7)
            fonts.append({fields.constFirst(), fields.at(fields.size() - 5) == QLatin1String("yes")});
    }
    return fonts;
}

QPointF PdfFirstWord(const QString &pdfFile, int page)
{
    const QString number = QString::number(page);
    const QString box = QString::fromUtf8(
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), number,
                                              QStringLiteral("-l"), number, pdfFile, QStringLiteral("-")})
            .out);
    const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\""));
    const QRegularExpressionMatch match = word.match(box);
    return match.hasMatch() ? QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QPointF(-1, -1);
}

int PdfYellowPixels(const QString &pdfFile, int page)
{
    QTemporaryDir dir;
    const QString number = QString::number(page);
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-f"), number,
                                         QStringLiteral("-l"), number, QStringLiteral("-singlefile"),
                                         QStringLiteral("-png"), pdfFile, dir.filePath(QStringLiteral("page"))});
    const QImage image(dir.filePath(QStringLiteral("page.png")));
    if (image.isNull())
        return -1;
    int yellow = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            yellow += qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) < 60;
        }
    }
    return yellow;
}

ToolResult LibreOfficeConvert(const QString &work, const QString &target, const QStringList &files)
{
    return RunTool(QStringLiteral("soffice"),
                   QStringList{QStringLiteral("-env:UserInstallation=file://") + work + QStringLiteral("/profile"),
                               QStringLiteral("--headless"), QStringLiteral("--convert-to"), target,
                               QStringLiteral("--outdir"), work + QStringLiteral("/out")}
                       + files,
                   180000);
}

QString ComparableText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

QString LibreOfficeText(const QString &txtFile)
{
    QFile file(txtFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no file %1)").arg(txtFile);
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QChar(0xFEFF));
    // LibreOffice's text export puts a six-per-em space before each blank
    // of a run (it does so for the original RTF as well).
    text.remove(QChar(0x2006));
    return ComparableText(text);
}

QList<CupsJob> CupsJobs(const QString &which)
{
    const QString uri = QStringLiteral("ipp://") + QString::fromLatin1(QUrl::toPercentEncoding(cupsSocket()))
        + QStringLiteral("/");
    const ToolResult result = RunTool(QStringLiteral("ipptool"),
                                      {QStringLiteral("-c"), QStringLiteral("-d"), QStringLiteral("which=") + which,
                                       uri, QStringLiteral(OXELN_GET_JOBS_TEST)});
    // A scheduler that does not answer must fail the test, not look idle.
    if (result.exitCode != 0)
        throw std::runtime_error("ipptool failed: " + result.err.toStdString() + result.out.toStdString());
    QList<CupsJob> jobs;
    const QStringList lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char(','));
        if (fields.size() < 6 || fields[0].toInt() <= 0)
            continue;
        CupsJob job;
        job.id = fields[0].toInt();
        job.name = fields[1];
        job.state = fields[2];
        job.impressions = fields[3].toInt();
        job.copies = fields[4].toInt();
        job.printer = fields[5].section(QLatin1Char('/'), -1);
        jobs << job;
    }
    std::sort(jobs.begin(), jobs.end(), [](const CupsJob &a, const CupsJob &b) { return a.id < b.id; });
    return jobs;
}

bool WaitForCupsIdle(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!CupsJobs(QStringLiteral("not-completed")).isEmpty()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

QString CupsJobDocument(int jobId)
{
    return QFileInfo(cupsSocket()).absolutePath() + QStringLiteral("/spool/d%1-001").arg(jobId, 5, 10, QLatin1Char('0'));
}

QList<CupsJob> CupsJobsAfter(int lastId)
{
    QList<CupsJob> jobs = CupsJobs();
    jobs.erase(std::remove_if(jobs.begin(), jobs.end(), [lastId](const CupsJob &job) { return job.id <= lastId; }),
               jobs.end());
    return jobs;
}

int LastCupsJobId()
{
    const QList<CupsJob> jobs = CupsJobs();
    return jobs.isEmpty() ? 0 : jobs.constLast().id;
}

} // namespace oxeln::test
