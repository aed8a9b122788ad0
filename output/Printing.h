#pragma once

#include <QRect>
#include <QString>

class QPrinter;
class QWidget;

namespace oxeln {

class RichTextView;

// The process-wide current printer, shared by printing and preview. Found
// from the system's default printer on first use (HighResolution) and
// changed only by ChooseCurrentPrinter. Throws AppError
// "Aucune imprimante par défaut sélectionnée" when there is no default.
QPrinter &CurrentPrinter();

// Forgets the current printer, so that the next use looks for the system's
// default again.
void ResetCurrentPrinter();

// The whole printable area of printer, in twips: (0, 0, printable width
// x 1440 / dpi, printable height x 1440 / dpi), integer divisions.
QRect PrintableAreaTwips(const QPrinter &printer);

// Prints the whole content of view as one job named title on the current
// printer. Throws AppError "Imprimante sélectionnée incorrecte" when the
// printer cannot be opened and "Impression en cours" when another job is
// still open (pending events are processed between pages, so a click can
// arrive in the middle of a job).
void PrintDocument(RichTextView &view, const QString &title);

// The same onto the given printer (a PDF file printer, for instance).
void PrintDocument(QPrinter &printer, RichTextView &view, const QString &title);

// "Imprimer": subjectCopies jobs "Sujet" of subject, then, when the answer
// key is enabled, answerCopies jobs "Corrigé" of answer. An empty subject
// (LineCount below 1) prints nothing at all. The first error ends it.
void PrintWorksheet(RichTextView &subject, RichTextView &answer, int subjectCopies, int answerCopies,
                    bool answerKeyEnabled);

// "CI": the printer dialog on the current printer; a confirmed choice
// (printer, its settings, copy count) becomes the current printer.
void ChooseCurrentPrinter(QWidget *parent);

} // namespace oxeln
