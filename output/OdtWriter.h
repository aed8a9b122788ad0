#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

class QTextDocument;

namespace oxeln {

// An OpenDocument text file (.odt) of a document as a view holds it: every
// paragraph with its alignment, indents and tab stops, every run with its
// font, size, weight, slant, underline, strike-out, colour and background
// (the yellow of the answers), blanks kept one for one, on pages of the
// given layout, lines spaced at lineSpacingPercent of their own height.
// Pixel measures of the document are read at dpi. title and generator go
// into the file's properties.
QByteArray OdtBytes(const QTextDocument &document, qreal dpi, const QString &title, const QString &generator,
                    const QPageLayout &page, int lineSpacingPercent = 100);

} // namespace oxeln
