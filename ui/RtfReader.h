#pragma once

#include <QByteArray>
#include <QtGlobal>

class QTextDocument;

namespace oxeln {

// Reads RTF into a QTextDocument: fonts, sizes, bold, italic, underline,
// strike-through, super- and subscript, text and background colours,
// alignment, tabs and the default tab stop. Pictures, objects, fields'
// instructions, headers, footers, notes and other destinations are skipped.
//
// Built to take any bytes: groups are tracked on an explicit stack (nesting
// deeper than kMaxDepth is counted, and its control words are ignored), a
// "}" that would close the outermost group is ignored, input ending anywhere
// keeps the text read so far, and the work is linear in the input size.
class RtfReader
{
public:
    static constexpr int kMaxDepth = 1000;

    // True when data begins with "{\rtf".
    static bool isRtf(const QByteArray &data);

    // Replaces the content of document (best detached from any view) with the
    // RTF document. dpi converts the default tab stop from twips to the
    // document's pixels. Undo is off while reading and restored afterwards.
    static void read(const QByteArray &rtf, QTextDocument *document, qreal dpi = 96.0);
};

} // namespace oxeln
