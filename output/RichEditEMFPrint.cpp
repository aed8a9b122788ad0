#include "RichEditEMFPrint.h"

#include "AppError.h"
#include "DocumentExport.h"
#include "Printing.h"
#include "RtfPageLayout.h"
#include "ViewDocument.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSvgGenerator>
#include <QTextDocument>

namespace oxeln {

namespace {

constexpr int kMaxPages = 2;

void releaseLayout(const QTextDocument &document)
{
    ReleasePageLayout(document);
}

} // namespace

bool CanWriteWorkDir(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    QFile probe(QDir(folder).filePath(QStringLiteral("TWFile.txt")));
    return probe.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

QRect PageFrame(const QPaintDevice &printer)
{
    return QRect(0, 0, printer.widthMM() * 100, printer.heightMM() * 100);
}

void RenderPagesToEmf(const QTextDocument &document, qreal sourceDpi, const QString &baseName)
{
    QPrinter *printer = nullptr;
    try {
        printer = &CurrentPrinter();
    } catch (const AppError &) {
        // A machine without any printer still sees its pages, as the PDF
        // file has them; with printers but no default, the user can pick one.
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            throw;
    }
    if (printer)
        RenderPagesToEmf(*printer, document, sourceDpi, baseName);
    else
        RenderExportPagesToEmf(document, sourceDpi, baseName);
}

void RenderExportPagesToEmf(const QTextDocument &document, qreal sourceDpi, const QString &baseName)
{
    // The PDF writer measures as it does when it writes the file; this one
    // never writes.
    QBuffer nowhere;
    QPdfWriter reference(&nowhere);
    reference.setResolution(kExportDpi);
    reference.setPageLayout(ExportPageLayout());
    const QMarginsF margins = ExportPageLayout().margins(QPageLayout::Millimeter);
    RenderPagesToEmf(reference, document, sourceDpi, baseName,
                     QMargins(qRound(margins.left() * 100), qRound(margins.top() * 100),
                              qRound(margins.right() * 100), qRound(margins.bottom() * 100)),
                     ExportScale());
}

void RenderPagesToEmf(QPaintDevice &printer, const QTextDocument &document, qreal sourceDpi,
                      const QString &baseName, const QMargins &margins, qreal scale)
{
    // The loop bound is ContentLength, which counts two per paragraph break
    // while positions count one, so a short subject with several paragraphs
    // gets a blank second page.
    const QRect frame = PageFrame(printer);
    releaseLayout(document);
    int position = 0;
    for (int page = 0; page < kMaxPages && ContentLengthExceeds(document, position); ++page) {
        const QString fileName = baseName + QString::number(page) + QStringLiteral(".svg");
        const int next = RenderPageToEmf(&printer, fileName, frame, document, sourceDpi, position, margins, scale);
        // A file that cannot be made, a failure or no progress ends the pages.
        if (next <= position)
            break;
        position = next;
    }
    releaseLayout(document);
}

int RenderPageToEmf(QPaintDevice *reference, const QString &fileName, const QRect &frame,
                    const QTextDocument &document, qreal sourceDpi, int start, const QMargins &margins,
                    qreal scale)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return start;

    // Drawn at the reference's resolution, so that the page file holds the
    // page exactly as the printer lays it out; its physical size is the
    // frame's with the margins.
    const int dpi = reference->logicalDpiX();
    const QSize paper = frame.size().grownBy(margins);
    const QSize size(qRound(paper.width() / 2540.0 * dpi), qRound(paper.height() / 2540.0 * dpi));
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setResolution(dpi);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));

    QPainter painter;
    if (!painter.begin(&generator))
        return start;
    const QRect twips = ScaledPageTwips(QRect(frame.left() * 1440 / 2540, frame.top() * 1440 / 2540,
                                              frame.width() * 1440 / 2540, frame.height() * 1440 / 2540),
                                        scale);
    QRect layout = twips;
    // Blank margins around the frame: the frame is drawn that far in.
    painter.translate(margins.left() / 2540.0 * dpi, margins.top() / 2540.0 * dpi);
    painter.scale(scale, scale);
    const int next = FormatRange(&painter, reference, document, sourceDpi, layout, start, true);
    painter.end();
    return next;
}

} // namespace oxeln
