#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

class QTextDocument;

namespace oxeln {

class PageFlow;

// Reads RTF into a QTextDocument: fonts, sizes, bold, italic, underline,
// strike-through, super- and subscript, text and background colours,
// alignment, tabs and the default tab stop. Pictures, objects, fields'
// instructions, headers, footers, notes and other destinations are skipped.
//
// Built to take any bytes: groups are tracked on an explicit stack (nesting
// deeper than kMaxDepth is counted, and its control words are ignored), a
// "}" that would close the outermost group is ignored, input ending anywhere
// keeps the text read so far, and the work is linear in the input size.
//
// The final "}" of a document closes nothing visible, so reading stops just
// before it. A longer version of the same document, one that begins with
// everything before that "}", can then be read by appending only the rest:
// a worksheet grows by a drill at a time and is shown whole after each.
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
    // ContentText() of the document that read() makes, without making it:
    // paragraphs separated by CR LF.
    static QString plainText(const QByteArray &rtf);
    // The document that read() makes, laid out paragraph by paragraph in
    // flow without being made. False when the flow failed (see PageFlow).
    static bool flow(const QByteArray &rtf, PageFlow &into, qreal dpi = 96.0);

    // The same, keeping the reader's state for resume(). The document must
    // not change in between. The text is kept (shared, not copied) to
    // compare with longer versions; bytes given with QByteArray::fromRawData
    // are not kept: such a reading goes on only with resumeKnown().
    RtfReader(const QByteArray &rtf, QTextDocument *document, qreal dpi = 96.0);
    ~RtfReader();
    RtfReader(const RtfReader &) = delete;
    RtfReader &operator=(const RtfReader &) = delete;

    // True when longer continues what was read, so that resume(longer)
    // gives the document that reading longer from scratch gives.
    bool canResume(const QByteArray &longer) const;
    // Appends to the document what longer holds beyond the text read.
    void resume(const QByteArray &longer);

    // Where the text read can go on: the offset of its final "}", or -1 when
    // more input could not continue it exactly there.
    qsizetype resumeOffset() const;
    // Whether resumeKnown() can read a longer text that the caller knows to
    // begin with the text read up to resumeOffset(): tail is that text from
    // offset tailOffset on (the whole text when 0); it must hold
    // resumeOffset() and something beyond blanks from there (see canResume).
    bool canResumeKnown(const QByteArray &tail, qsizetype tailOffset = 0) const;
    // Appends what such a text holds from resumeOffset() on, without comparing.
    void resumeKnown(const QByteArray &tail, qsizetype tailOffset = 0);

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace oxeln
