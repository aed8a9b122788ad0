#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

class QPaintDevice;
class QTextDocument;

namespace oxeln {

// Page files of the preview. They keep their historical "Emf" names, but
// each page is written as an SVG file (baseName + index + ".svg").

// Creates an empty "TWFile.txt" in folder (or empties it); false when that
// is not possible. Never reports an error.
bool CanWriteWorkDir(const QString &folder);

// The page frame of a page file: the printable area of printer in
// hundredths of a millimetre, (0, 0, width mm x 100, height mm x 100).
QRect PageFrame(const QPaintDevice &printer);

// Writes at most two page files of document (a view's content; sourceDpi
// is the view's resolution), baseName + "0.svg" and baseName + "1.svg",
// laid out for the current printer. Lays out only what the two pages hold.
// With no printer at all, the pages are those of the PDF file (A4 and its
// margins, drawn whole). Throws AppError with the printer messages when
// printers exist but none can be used.
void RenderPagesToEmf(const QTextDocument &document, qreal sourceDpi, const QString &baseName);
// The same with printer as reference device. margins (hundredths of a
// millimetre) are drawn around each page frame, blank.
void RenderPagesToEmf(QPaintDevice &printer, const QTextDocument &document, qreal sourceDpi,
                      const QString &baseName, const QMargins &margins = QMargins(), qreal scale = 1.0);
// The pages of the PDF file, as without a printer.
void RenderExportPagesToEmf(const QTextDocument &document, qreal sourceDpi, const QString &baseName);

// Writes one page file holding the document from start on, laid out with the
// measures of reference in the page frame (hundredths of a millimetre), on
// a page of the frame's size plus margins; below a scale of 1, laid out in
// a frame that much larger and drawn scaled down into it. Returns the first
// position that did not fit (FormatRange's result), or start when the file
// cannot be created.
int RenderPageToEmf(QPaintDevice *reference, const QString &fileName, const QRect &frame,
                    const QTextDocument &document, qreal sourceDpi, int start,
                    const QMargins &margins = QMargins(), qreal scale = 1.0);

} // namespace oxeln
