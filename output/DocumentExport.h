#pragma once

#include "ViewDocument.h"

#include <QByteArray>
#include <QList>
#include <QPageLayout>
#include <QString>

#include <functional>

class QTextDocument;

namespace oxeln {

// What a worksheet file holds, told by its name's extension (letter case
// aside): "pdf" and "odt" those formats, "txt" plain text, any other
// extension or none RTF.
enum class FileFormat { Rtf, Text, Pdf, Odt };
FileFormat FileFormatOf(const QString &path);

// The page of the PDF file, and of the preview when there is no printer: A4
// portrait with 10 mm margins on every side.
QPageLayout ExportPageLayout();

// The worksheet is laid out 200 mm wide on those pages, the printable width
// of common printers, and drawn scaled down into the 190 mm between the
// margins (95 %): a line of the answer key holds up to 107 characters of
// 9-point Courier New, which 190 mm would wrap in the middle of a number.
inline constexpr qreal kExportLayoutWidthMm = kSavedLineWidthMm;
// Drawn size over laid-out size on the PDF file's pages.
qreal ExportScale();

// The resolution the PDF is laid out at: a printer's, so that its lines and
// pages break where a print's do.
inline constexpr int kExportDpi = 1200;

// The program and its version, named as the files' creator.
QString ProducerName();

// The document (a view's content; sourceDpi is the view's resolution) as a
// PDF file: ExportPageLayout's pages, laid out as printing lays them out
// (at ExportScale), fonts embedded, title as the document's title.
QByteArray PdfBytes(const QTextDocument &document, qreal sourceDpi, const QString &title);
// The same for the document a view reading rtf holds, without making it
// when the page flow can lay it out.
QByteArray PdfBytesOfRtf(const QByteArray &rtf, qreal sourceDpi, const QString &title);
// The same pages through the toolkit's PDF writer: what PdfBytes makes of
// documents the page flow cannot lay out.
QByteArray ToolkitPdfBytes(const QTextDocument &document, qreal sourceDpi, const QString &title);

// The same as an OpenDocument text file, on the page of every saved file
// (SavedPageLayout): A4 portrait, 10 mm margins at the top and bottom and
// 5 mm at the sides, so that its lines hold what the PDF file's do; its
// lines are spaced at kSavedLineSpacingPercent, so that its pages hold as
// many as the PDF file's.
QByteArray OdtBytes(const QTextDocument &document, qreal sourceDpi, const QString &title);

// The document as a file of the format path's extension names. title
// names a PDF or OpenDocument file's document.
QByteArray WorksheetFileBytes(const QString &path, const QTextDocument &document, qreal sourceDpi,
                              const QString &title);

// One file of a save: where it goes and what makes its bytes.
struct WorksheetFile
{
    QString path;
    std::function<QByteArray()> bytes;
};

// Writes every file or none (see FileBatch): each one's bytes are made and
// written whole beside its target, flushed to disk, before the next one's
// are made; only once all of them are complete do they replace their old
// files. Throws AppError with "Impossible de créer le fichier %s" or
// "Erreur à l'enregistrement du flux : %s (cause)"; every old file is then
// as it was and nothing new is left.
void WriteWorksheetFiles(const QList<WorksheetFile> &files);

} // namespace oxeln
