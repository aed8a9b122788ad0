#include "Printing.h"

#include "AppError.h"
#include "CupsJob.h"
#include "PageFlow.h"
#include "PdfExport.h"
#include "RtfPageLayout.h"

#include <QAbstractPrintDialog>
#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QTextDocument>

#include <memory>
#include <optional>

namespace oxeln {

namespace {

std::unique_ptr<QPrinter> &currentPrinterSlot()
{
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

// The print engine must go before the application object does.
void releaseCurrentPrinter()
{
    currentPrinterSlot().reset();
}

bool s_jobOpen = false;

AppError noDefaultPrinter()
{
    return AppError(QStringLiteral("Aucune imprimante par défaut sélectionnée"));
}

AppError jobAlreadyOpen()
{
    return AppError(QStringLiteral("Impression en cours"));
}

void adoptPrinter(std::unique_ptr<QPrinter> printer)
{
    static bool cleanupRegistered = false;
    if (!cleanupRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(releaseCurrentPrinter);
        cleanupRegistered = true;
    }
    currentPrinterSlot() = std::move(printer);
}

// The CUPS options that the toolkit's dialogs set on a printer: a key of its
// print engine that is not public API, stable since its CUPS support began.
// Should it ever change, the options read as none and none are kept.
constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Job options that a dialog can set on a printer and that are no setting of
// the printer itself: which pages, which of them, when, with what banner.
// Every job prints the whole document, now.
void keepWholeDocument(QPrinter &printer)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    QPrintEngine *engine = printer.printEngine();
    if (!engine)
        return;
    static const QStringList jobOptions = {
        QStringLiteral("page-ranges"),  QStringLiteral("page-set"),     QStringLiteral("job-hold-until"),
        QStringLiteral("job-billing"),  QStringLiteral("job-priority"), QStringLiteral("job-sheets")};
    const QStringList options = engine->property(CupsOptionsKey).toStringList();
    QStringList kept;
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (!jobOptions.contains(options[i]))
            kept << options[i] << options[i + 1];
    }
    if (kept != options)
        engine->setProperty(CupsOptionsKey, kept);
}

// The printer dialog with only what may become current: the printer, its
// own settings and the copy count. With CUPS the toolkit offers a page
// range and an odd/even page set whatever the options say; they are hidden
// each time the dialog is shown.
class PrinterChoiceDialog : public QPrintDialog
{
public:
    using QPrintDialog::QPrintDialog;

    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (!visible)
            return;
        for (const char *name : {"gbPrintRange", "pageSetLabel", "pageSetCombo"}) {
            if (auto *choice = findChild<QWidget *>(QLatin1String(name)))
                choice->hide();
        }
    }
};

void releaseLayout(const QTextDocument &document)
{
    ReleasePageLayout(document);
}

// How a job runs: a print job lets events run between pages and keeps
// other jobs out meanwhile; a file export runs through without either.
enum class JobKind { Print, Export };

void printJob(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi, const QString &title,
              bool keepLayout, JobKind kind = JobKind::Print, qreal scale = 1.0);

template<typename DeviceForJob>
void printCopies(DeviceForJob deviceForJob, const QTextDocument &document, qreal sourceDpi, const QString &title,
                 int copies);

// The current printer, checked before a job starts on it.
QPrinter &currentPrinterForJob()
{
    if (s_jobOpen)
        throw jobAlreadyOpen();
    QPrinter &printer = CurrentPrinter();
    // A queue removed since it was chosen would swallow the job without a
    // word: the spooler's answer never reaches us.
    if (printer.outputFormat() == QPrinter::NativeFormat
        && !QPrinterInfo::availablePrinterNames().contains(printer.printerName()))
        throw AppError(QStringLiteral("Imprimante sélectionnée incorrecte"));
    return printer;
}

} // namespace

QPrinter &CurrentPrinter()
{
    if (!currentPrinterSlot()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        const QString defaultName = QPrinterInfo::defaultPrinterName();
        if (names.isEmpty() || defaultName.isEmpty() || !names.contains(defaultName))
            throw noDefaultPrinter();
        adoptPrinter(std::make_unique<QPrinter>(QPrinterInfo::printerInfo(defaultName), QPrinter::HighResolution));
    }
    return *currentPrinterSlot();
}

void ResetCurrentPrinter()
{
    if (s_jobOpen)
        throw jobAlreadyOpen();
    currentPrinterSlot().reset();
}

QRect PrintableAreaTwips(const QPaintDevice &device)
{
    return QRect(0, 0, device.width() * 1440 / device.logicalDpiX(), device.height() * 1440 / device.logicalDpiY());
}

QRect ScaledPageTwips(const QRect &page, qreal scale)
{
    if (scale == 1.0)
        return page;
    return QRect(page.topLeft(), QSize(int(page.width() / scale), int(page.height() / scale)));
}

void PrintDocument(const QTextDocument &document, qreal sourceDpi, const QString &title)
{
    printCopies([]() -> QPagedPaintDevice & { return currentPrinterForJob(); }, document, sourceDpi, title, 1);
}

void PrintDocument(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi,
                   const QString &title)
{
    printJob(device, document, sourceDpi, title, false);
}

void ExportDocumentPages(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi,
                         const QString &title, qreal scale)
{
    printJob(device, document, sourceDpi, title, false, JobKind::Export, scale);
}

namespace {

// A job's file as made for a CUPS queue set up so, with its title.
struct SpooledJob
{
    QString printer;
    QPageLayout pageLayout;
    int resolution = 0;
    QPrinter::ColorMode colorMode = QPrinter::Color;
    QString title;
    std::optional<QByteArray> pdf;

    bool madeFor(const QPrinter &p, const QString &t) const
    {
        return pdf && printer == p.printerName() && pageLayout == p.pageLayout() && resolution == p.resolution()
            && colorMode == p.colorMode() && title == t;
    }
};

// A job on a CUPS queue as one PDF file made by the page flow, as the
// toolkit's engine would make and send it, but drawn once: the copies of a
// job on a queue set up alike send the same file again. Events run between
// pages, as while the toolkit draws. False when the device is no CUPS
// queue or the flow cannot draw the document: the toolkit prints it then.
bool spoolToCups(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi, const QString &title,
                 SpooledJob &spooled)
{
    auto *printer = dynamic_cast<QPrinter *>(&device);
    if (!printer || printer->outputFormat() != QPrinter::NativeFormat || printer->printerName().isEmpty()
        || !CanSubmitToCups())
        return false;
    if (s_jobOpen)
        throw jobAlreadyOpen();
    keepWholeDocument(*printer);
    printer->setDocName(title);
    s_jobOpen = true;
    const auto endJob = qScopeGuard([] { s_jobOpen = false; });
    if (!spooled.madeFor(*printer, title)) {
        const QPointer<const QTextDocument> alive(&document);
        PdfPages pages;
        pages.pageLayout = printer->pageLayout();
        pages.resolution = printer->resolution();
        pages.layoutTwips = PrintableAreaTwips(*printer);
        pages.title = title;
        pages.creator = printer->creator();
        pages.grayscale = printer->colorMode() == QPrinter::GrayScale;
        pages.afterPage = [&alive] {
            // Repaints and clicks go on while the job spools.
            QCoreApplication::processEvents();
            return !alive.isNull();
        };
        spooled = {printer->printerName(), printer->pageLayout(), printer->resolution(), printer->colorMode(), title,
                   FlowPdfBytes(document, sourceDpi, pages)};
        if (!spooled.pdf)
            return false;
    }
    if (!SubmitPdfToCups(*printer, title, *spooled.pdf))
        throw AppError(QStringLiteral("Imprimante sélectionnée incorrecte"));
    return true;
}

// copies jobs, each on the device that deviceForJob gives when it starts.
// A document that its view replaced during a job (events run between
// pages) has no more copies to print.
template<typename DeviceForJob>
void printCopies(DeviceForJob deviceForJob, const QTextDocument &document, qreal sourceDpi, const QString &title,
                 int copies)
{
    const QPointer<const QTextDocument> alive(&document);
    const auto release = qScopeGuard([&] {
        if (alive)
            releaseLayout(document);
    });
    SpooledJob spooled;
    for (int copy = 0; copy < copies && alive; ++copy) {
        QPagedPaintDevice &device = deviceForJob();
        if (!spoolToCups(device, document, sourceDpi, title, spooled) && alive)
            printJob(device, document, sourceDpi, title, true);
    }
}

void printJob(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi, const QString &title,
              bool keepLayout, JobKind kind, qreal scale)
{
    const bool printing = kind == JobKind::Print;
    if (printing && s_jobOpen)
        throw jobAlreadyOpen();
    if (auto *printer = dynamic_cast<QPrinter *>(&device)) {
        keepWholeDocument(*printer);
        printer->setDocName(title);
    } else if (auto *pdf = dynamic_cast<QPdfWriter *>(&device)) {
        pdf->setTitle(title);
    }
    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(QStringLiteral("Imprimante sélectionnée incorrecte"));
    if (printing)
        s_jobOpen = true;
    // Events run between pages: the view may replace its document meanwhile.
    const QPointer<const QTextDocument> alive(&document);
    const auto endJob = qScopeGuard([&] {
        painter.end();
        if (alive && !keepLayout)
            releaseLayout(document);
        if (printing)
            s_jobOpen = false;
    });

    const QRect page = ScaledPageTwips(PrintableAreaTwips(device), scale);
    // Copies keep the pages laid out by the one before: the layout is the
    // document's, for this device and width, and is made again if either
    // changed in between.
    if (!keepLayout)
        releaseLayout(document);
    int position = 0;
    while (alive) {
        // Positions count one per paragraph break.
        const int end = document.characterCount() - 1;
        QRect layout = page;
        painter.save();
        painter.scale(scale, scale);
        const int next = FormatRange(&painter, &device, document, sourceDpi, layout, position, true);
        painter.restore();
        // -1 is a failure; no progress means not even one line fits a page:
        // either way the job ends with what is printed, instead of looping.
        if (next < 0 || next <= position || next >= end)
            break;
        position = next;
        // Repaints and clicks go on while the job spools.
        if (printing)
            QCoreApplication::processEvents();
        if (!alive)
            break;
        device.newPage();
    }
}

} // namespace

void PrintCopies(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi,
                 const QString &title, int copies)
{
    printCopies([&device]() -> QPagedPaintDevice & { return device; }, document, sourceDpi, title, copies);
}

void PrintWorksheet(const QTextDocument &subject, const QTextDocument &answer, qreal sourceDpi,
                    int subjectCopies, int answerCopies, bool answerKeyEnabled)
{
    // No line at all: a single empty paragraph.
    if (subject.isEmpty())
        return;
    const QPointer<const QTextDocument> answerAlive(&answer);
    const auto currentPrinter = []() -> QPagedPaintDevice & { return currentPrinterForJob(); };
    printCopies(currentPrinter, subject, sourceDpi, QStringLiteral("Sujet"), subjectCopies);
    if (answerKeyEnabled && answerAlive)
        printCopies(currentPrinter, answer, sourceDpi, QStringLiteral("Corrigé"), answerCopies);
}

void ChooseCurrentPrinter(QWidget *parent)
{
    if (s_jobOpen)
        throw jobAlreadyOpen();
    // The dialog edits the printer it is given as the user goes: it works on
    // a copy, which replaces the current printer only when confirmed.
    QPrinter candidate(QPrinter::HighResolution);
    try {
        const QPrinter &current = CurrentPrinter();
        candidate.setPrinterName(current.printerName());
        candidate.setPageLayout(current.pageLayout());
        candidate.setCopyCount(current.copyCount());
        candidate.setCollateCopies(current.collateCopies());
        candidate.setColorMode(current.colorMode());
        candidate.setDuplex(current.duplex());
        candidate.setPageOrder(current.pageOrder());
    } catch (const AppError &) {
        // No default printer: the dialog still lets the user pick one.
    }

    PrinterChoiceDialog dialog(&candidate, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (candidate.outputFormat() != QPrinter::NativeFormat || candidate.printerName().isEmpty())
        return;

    // Only the printer, its own settings and the copy count become current.
    auto chosen = std::make_unique<QPrinter>(QPrinter::HighResolution);
    chosen->setPrinterName(candidate.printerName());
    chosen->setPageLayout(candidate.pageLayout());
    chosen->setCopyCount(candidate.copyCount());
    chosen->setCollateCopies(candidate.collateCopies());
    chosen->setColorMode(candidate.colorMode());
    chosen->setDuplex(candidate.duplex());
    chosen->setPageOrder(candidate.pageOrder());
    // The driver's options chosen in the printer's properties.
    if (QPrintEngine *from = candidate.printEngine(); from && chosen->printEngine())
        chosen->printEngine()->setProperty(CupsOptionsKey,
                                           from->property(CupsOptionsKey));
    keepWholeDocument(*chosen);
    adoptPrinter(std::move(chosen));
}

} // namespace oxeln
