#pragma once

#include "Questions.h"

#include <QFont>
#include <QSizeF>
#include <QString>

#include <string>

class QTextDocument;

namespace oxeln {

// Bytes of the documents as the screen shows them: minus signs and the
// multiplication sign are the typographic ones.
QString ScreenText(const std::string &bytes);

// Rich text of a question for a QTextDocument: digit groups and parentheses
// never split, a line breaks only before an operator (and only when
// breakable is set), exponents raised, then " = ?" unless the question has
// a place to fill in. Minus signs and the multiplication sign are the
// typographic ones.
QString QuestionHtml(const Question &question, bool breakable);

// Lines of the document as laid out.
int LaidOutLines(const QTextDocument &document);

// Largest pixel size from minimum to maximum at which the document, in the
// font at that size, fits box without any line running over its width and
// in at most maxLines lines (0: any number). Returns 0 when even the
// minimum does not fit. The document is left laid out at the result (or at
// the minimum).
int FitPixelSize(QTextDocument &document, QFont font, const QSizeF &box, int minimum, int maximum,
                 int maxLines = 0);

} // namespace oxeln
