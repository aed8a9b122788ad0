#pragma once

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QString>
#include <QtGlobal>

#include <memory>

class QTextDocument;

namespace oxeln {

// The document of a rich text view (RxE1, RxE2) and what the window, the
// output and the composer read of it, without the widget: the view and
// everything that prints, previews or saves a view's content share these.

// The view's font: Courier New of 11 pixels.
QFont ViewFont();

// An empty document as a view holds it: the view's font, no margin,
// wrapping at word boundaries or anywhere, tab stops every 2880 twips at
// dpi (the view's resolution).
std::unique_ptr<QTextDocument> NewViewDocument(const QFont &font, qreal dpi);
// What a view at dpi shows after reading rtf: the view's font, the document read.
std::unique_ptr<QTextDocument> ReadViewDocument(const QByteArray &rtf, qreal dpi);

// Plain text, paragraphs separated by CR LF; empty for an empty document.
QString ContentText(const QTextDocument &document);
// Length of ContentText(): two per paragraph break.
int ContentLength(const QTextDocument &document);
// ContentLength() > 0, found without counting.
bool HasContent(const QTextDocument &document);
// ContentLength() > position, counted only when that cannot be told from
// the document's structure (positions count one per paragraph break,
// ContentLength two).
bool ContentLengthExceeds(const QTextDocument &document, int position);

// The page a saved file states for the word processor that opens it, so
// that it lays the worksheet out as the program prints it: A4 portrait, 10 mm
// at the top and bottom and 5 mm at the sides, which leaves the 200 mm that
// printing lays a line out in (the answer key's widest lines hold there).
inline constexpr qreal kSavedLineWidthMm = 200.0;
QPageLayout SavedPageLayout();
// Printing draws those 200 mm into the 190 mm between 10 mm margins, lines
// and all: at 95 % of their height, the saved file's lines fill a page as
// the printed ones do.
inline constexpr int kSavedLineSpacingPercent = 95;

// Whole content as a file's bytes: plain Windows-1252 text for a path with a
// ".txt" extension (case-blind), RTF on SavedPageLayout's page otherwise
// (dpi converts the tab stop to twips).
QByteArray DocumentFileBytes(const QString &path, const QTextDocument &document, qreal dpi);

// Whole content to path: plain Windows-1252 text for a ".txt" extension
// (case-blind), RTF otherwise (dpi converts the tab stop to twips). Throws
// AppError with "Impossible de créer le fichier %s" or "Erreur à
// l'enregistrement du flux"; a failed write leaves an earlier file as it was.
void WriteDocumentFile(const QString &path, const QTextDocument &document, qreal dpi);

// Puts bytes into the file at path, through a file beside it renamed over
// path once complete. Throws AppError as WriteDocumentFile does.
void WriteFileBytes(const QString &path, const QByteArray &bytes);

} // namespace oxeln
