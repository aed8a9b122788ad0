#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QtGlobal>

#include <optional>

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
    // What the header may say of the page: paper and margins, and the line
    // spacing of the paragraphs' default style (a percentage of the lines'
    // own height).
    struct Page
    {
        QPageLayout layout;
        int lineSpacingPercent = 100;
    };

    // dpi converts the default tab stop from the document's pixels to twips.
    // Without a page, the header leaves the page to the reader.
    static QByteArray write(const QTextDocument *document, qreal dpi = 96.0,
                            const std::optional<Page> &page = std::nullopt);
};

} // namespace oxeln
