#pragma once

#include <QByteArray>
#include <QtGlobal>

class QTextDocument;

namespace oxeln {

// Writes a QTextDocument as RTF: font and colour tables built from the
// content, then each run with only the control words that changed since the
// run before it. Text is Windows-1252 (\'hh above 0x7F); other characters
// are written as \uN with a "?" fallback for readers without Unicode, so no
// character is lost. What RtfReader reads back has the same text and the
// same character formats.
class RtfWriter
{
public:
    // dpi converts the default tab stop from the document's pixels to twips.
    static QByteArray write(const QTextDocument *document, qreal dpi = 96.0);
};

} // namespace oxeln
