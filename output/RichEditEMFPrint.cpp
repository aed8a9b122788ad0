#include "RichEditEMFPrint.h"

#include "Printing.h"
#include "RtfPageLayout.h"
#include "ViewDocument.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
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

bool CanWriteWorkDir()
{
    QFile probe(QStringLiteral("TWFile.txt"));
    return probe.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

QRect PageFrame(const QPaintDevice &printer)
{
    return QRect(0, 0, printer.widthMM() * 100, printer.heightMM() * 100);
}

void RenderPagesToEmf(const QTextDocument &document, qreal sourceDpi, const QString &baseName)
{
    RenderPagesToEmf(CurrentPrinter(), document, sourceDpi, baseName);
}

void RenderPagesToEmf(QPaintDevice &printer, const QTextDocument &document, qreal sourceDpi,
                      const QString &baseName)
{
    // The loop bound is ContentLength, which counts two per paragraph break
    // while positions count one, so a short subject with several paragraphs
    // gets a blank second page.
    const QRect frame = PageFrame(printer);
    releaseLayout(document);
    int position = 0;
    for (int page = 0; page < kMaxPages && ContentLengthExceeds(document, position); ++page) {
        const QString fileName = baseName + QString::number(page) + QStringLiteral(".svg");
        const int next = RenderPageToEmf(&printer, fileName, frame, document, sourceDpi, position);
        // A file that cannot be made, a failure or no progress ends the pages.
        if (next <= position)
            break;
        position = next;
    }
    releaseLayout(document);
}

int RenderPageToEmf(QPaintDevice *reference, const QString &fileName, const QRect &frame,
                    const QTextDocument &document, qreal sourceDpi, int start)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return start;

    // Drawn at the reference's resolution, so that the page file holds the
    // page exactly as the printer lays it out; its physical size is the frame.
    const int dpi = reference->logicalDpiX();
    const QSize size(qRound(frame.width() / 2540.0 * dpi), qRound(frame.height() / 2540.0 * dpi));
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setResolution(dpi);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));

    QPainter painter;
    if (!painter.begin(&generator))
        return start;
    const QRect twips(frame.left() * 1440 / 2540, frame.top() * 1440 / 2540, frame.width() * 1440 / 2540,
                      frame.height() * 1440 / 2540);
    QRect layout = twips;
    const int next = FormatRange(&painter, reference, document, sourceDpi, layout, start, true);
    painter.end();
    return next;
}

} // namespace oxeln
