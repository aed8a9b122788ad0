#pragma once

#include <QRect>
#include <QString>

class QPagedPaintDevice;
class QPaintDevice;
class QPrinter;
class QTextDocument;
class QWidget;

namespace oxeln {

// The process-wide current printer, shared by printing and preview. Found
// from the system's default printer on first use (HighResolution) and
// changed only by ChooseCurrentPrinter. Throws AppError
// "Aucune imprimante par défaut sélectionnée" when there is no default.
QPrinter &CurrentPrinter();

// Forgets the current printer, so that the next use looks for the system's
// default again.
void ResetCurrentPrinter();

// The whole printable area of a printer (or any page device), in twips:
// (0, 0, printable width x 1440 / dpi, printable height x 1440 / dpi),
// integer divisions.
QRect PrintableAreaTwips(const QPaintDevice &device);

// The page a document is laid out in to be drawn at scale into page: page
// enlarged by 1 / scale (page itself at scale 1).
QRect ScaledPageTwips(const QRect &page, qreal scale);

// Prints the whole document (a view's content; sourceDpi is the view's
// resolution) as one job named title on the current printer. Throws
// AppError "Imprimante sélectionnée incorrecte" when the printer cannot be
// opened and "Impression en cours" when another job is still open (pending
// events are processed between pages, so a click can arrive in the middle
// of a job; a document deleted meanwhile ends the job).
void PrintDocument(const QTextDocument &document, qreal sourceDpi, const QString &title);

// The same onto the given page device: a printer (a PDF file printer, for
// instance) or a QPdfWriter, whose page layout and margins it keeps. The
// title names the printer's job or the PDF file's document.
void PrintDocument(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi,
                   const QString &title);

// The same pages onto a file's page device (a QPdfWriter) in one run: no
// events are processed between pages, so the document cannot change under
// it, and an open print job does not stand in its way. With a scale below
// 1, the document is laid out in a page that much larger and drawn scaled
// down into the device's page.
void ExportDocumentPages(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi,
                         const QString &title, qreal scale = 1.0);

// copies jobs of the document one after the other on device, as PrintDocument
// makes each; the pages are laid out once for all of them (for documents of
// a few thousand paragraphs: longer ones are laid out a few pages at a time).
void PrintCopies(QPagedPaintDevice &device, const QTextDocument &document, qreal sourceDpi,
                 const QString &title, int copies);

// "Imprimer": subjectCopies jobs "Sujet" of subject, then, when the answer
// key is enabled, answerCopies jobs "Corrigé" of answer. An empty subject
// (no line) prints nothing at all. The first error ends it.
void PrintWorksheet(const QTextDocument &subject, const QTextDocument &answer, qreal sourceDpi,
                    int subjectCopies, int answerCopies, bool answerKeyEnabled);

// "CI": the printer dialog on the current printer; a confirmed choice
// (printer, its settings, copy count) becomes the current printer.
void ChooseCurrentPrinter(QWidget *parent);

} // namespace oxeln
