#include "RichEditEMFPrint.h"

#include "Printing.h"
#include "RichTextView.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

namespace oxeln {

namespace {

constexpr int kMaxPages = 2;

void releaseLayout(RichTextView &view)
{
    QRect none;
    view.FormatRange(nullptr, nullptr, none, none, 0, false);
}

} // namespace

bool CanWriteWorkDir()
{
    QFile probe(QStringLiteral("TWFile.txt"));
    return probe.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

QRect PageFrame(const QPrinter &printer)
{
    return QRect(0, 0, printer.widthMM() * 100, printer.heightMM() * 100);
}

void RenderPagesToEmf(RichTextView &view, const QString &baseName)
{
    RenderPagesToEmf(CurrentPrinter(), view, baseName);
}

void RenderPagesToEmf(QPrinter &printer, RichTextView &view, const QString &baseName)
{
    // The loop bound counts two per paragraph break while positions count
    // one, so a short subject with several paragraphs gets a blank second page.
    const int length = view.ContentLength();
    const QRect frame = PageFrame(printer);
    releaseLayout(view);
    int position = 0;
    for (int page = 0; position < length && page < kMaxPages; ++page) {
        const QString fileName = baseName + QString::number(page) + QStringLiteral(".svg");
        const int next = RenderPageToEmf(&printer, fileName, frame, view, position);
        // A file that cannot be made, a failure or no progress ends the pages.
        if (next <= position)
            break;
        position = next;
    }
    releaseLayout(view);
}

int RenderPageToEmf(QPaintDevice *reference, const QString &fileName, const QRect &frame, RichTextView &view,
                    int start)
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
    const int next = view.FormatRange(&painter, reference, layout, twips, start, true);
    painter.end();
    return next;
}

} // namespace oxeln
