#include "Printing.h"

#include "AppError.h"
#include "RichTextView.h"

#include <QAbstractPrintDialog>
#include <QCoreApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
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
    auto candidate = std::make_unique<QPrinter>(QPrinter::HighResolution);
    try {
        const QPrinter &current = CurrentPrinter();
        candidate->setPrinterName(current.printerName());
        candidate->setPageLayout(current.pageLayout());
        candidate->setCopyCount(current.copyCount());
        candidate->setCollateCopies(current.collateCopies());
        candidate->setColorMode(current.colorMode());
        candidate->setDuplex(current.duplex());
        candidate->setPageOrder(current.pageOrder());
    } catch (const AppError &) {
        // No default printer: the dialog still lets the user pick one.
    }

    QPrintDialog dialog(candidate.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (candidate->outputFormat() == QPrinter::NativeFormat && !candidate->printerName().isEmpty())
        adoptPrinter(std::move(candidate));
}

} // namespace oxeln
