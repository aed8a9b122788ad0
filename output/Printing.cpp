#include "Printing.h"

#include "AppError.h"
#include "RichTextView.h"

#include <QAbstractPrintDialog>
#include <QCoreApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QTextDocument>

#include <memory>

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

void releaseLayout(RichTextView &view)
{
    QRect none;
    view.FormatRange(nullptr, nullptr, none, none, 0, false);
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

QRect PrintableAreaTwips(const QPrinter &printer)
{
    return QRect(0, 0, printer.width() * 1440 / printer.logicalDpiX(),
                 printer.height() * 1440 / printer.logicalDpiY());
}

void PrintDocument(RichTextView &view, const QString &title)
{
    if (s_jobOpen)
        throw jobAlreadyOpen();
    QPrinter &printer = CurrentPrinter();
    // A queue removed since it was chosen would swallow the job without a
    // word: the spooler's answer never reaches us.
    if (printer.outputFormat() == QPrinter::NativeFormat
        && !QPrinterInfo::availablePrinterNames().contains(printer.printerName()))
        throw AppError(QStringLiteral("Imprimante sélectionnée incorrecte"));
    PrintDocument(printer, view, title);
}

void PrintDocument(QPrinter &printer, RichTextView &view, const QString &title)
{
    if (s_jobOpen)
        throw jobAlreadyOpen();
    keepWholeDocument(printer);
    printer.setDocName(title);
    QPainter painter;
    if (!painter.begin(&printer))
        throw AppError(QStringLiteral("Imprimante sélectionnée incorrecte"));
    s_jobOpen = true;
    const auto endJob = qScopeGuard([&] {
        painter.end();
        releaseLayout(view);
        s_jobOpen = false;
    });

    const QRect page = PrintableAreaTwips(printer);
    // Positions count one per paragraph break.
    const int end = view.document()->characterCount() - 1;
    releaseLayout(view);
    int position = 0;
    for (;;) {
        QRect layout = page;
        const int next = view.FormatRange(&painter, &printer, layout, page, position, true);
        // -1 is a failure; no progress means not even one line fits a page:
        // either way the job ends with what is printed, instead of looping.
        if (next < 0 || next <= position || next >= end)
            break;
        position = next;
        // Repaints and clicks go on while the job spools.
        QCoreApplication::processEvents();
        printer.newPage();
    }
}

void PrintWorksheet(RichTextView &subject, RichTextView &answer, int subjectCopies, int answerCopies,
                    bool answerKeyEnabled)
{
    if (subject.LineCount() < 1)
        return;
    for (int copy = 0; copy < subjectCopies; ++copy)
        PrintDocument(subject, QStringLiteral("Sujet"));
    if (!answerKeyEnabled)
        return;
    for (int copy = 0; copy < answerCopies; ++copy)
        PrintDocument(answer, QStringLiteral("Corrigé"));
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
