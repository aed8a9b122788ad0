#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QTextEdit>

#include <memory>

class QPainter;
class QPaintDevice;
class QTextDocument;

namespace oxeln {

class RtfReader;

// The rich text view behind RxE1 (subject) and RxE2 (answer key): a
// QTextEdit that reads and writes RTF and lays out pages for printing.
// Starts empty, read-only, with Tab moving the focus, in Courier New of 11
// pixels, wrapping at its width, no document margin, tab stops every 2880
// twips. Positions are QTextCursor positions: one per paragraph break.
class RichTextView : public QTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RichTextView)

public:
    explicit RichTextView(QWidget *parent = nullptr);
    ~RichTextView() override;

    // Replaces the whole content, edits included, by the RTF document; works
    // while read-only; does nothing when the plain text already equals rtf.
    // OnChange fires. Bytes not beginning with "{\rtf" are shown as plain
    // Windows-1252 text. An RTF that continues the one shown before (the
    // same worksheet after one more drill) only has its new end appended.
    void SetRtfText(const QByteArray &rtf);
    // The same for the texts of a stream (a growing document whose every
    // text begins with the first `stable` bytes of the previous one): when
    // rtf is a later text of the stream read last and the view was not
    // changed since, only its new end is read, without comparing the rest.
    // Nothing of rtf is kept, so it may be borrowed bytes.
    void SetRtfText(const QByteArray &rtf, quint64 stream, qsizetype stable);
    // Whether a later text of stream, given as its end from offset on, can
    // be read by AppendRtf: the view shows the stream's text read last, not
    // changed since but by hand edits it can undo, and stopped reading
    // within that text's stable bytes, at or after offset.
    bool ContinuesRtf(const QByteArray &tail, qsizetype offset, quint64 stream) const;
    // Reads the new end of such a text: tail is the text from offset on,
    // hand edits undone first. As SetRtfText otherwise (caret at the start,
    // OnChange fires once).
    void AppendRtf(const QByteArray &tail, qsizetype offset, quint64 stream, qsizetype stable);
    // Plain text, paragraphs separated by CR LF; empty for an empty view.
    QString ContentText() const;
    // Length of ContentText(): two per paragraph break. Counted once per
    // change of content.
    int ContentLength() const;
    // ContentLength() > 0, found without counting.
    bool HasContent() const;
    // Lines as laid out, minus one when the last is empty: 0 empty, 1 initial.
    // Exact for a document of at most two paragraphs (lays out just those);
    // for three or more it does no layout and returns the paragraph count,
    // minus one when the last paragraph is empty: a lower bound of the
    // laid-out count that is already 2 or more, which is all callers tell
    // apart (0, 1, more).
    int LineCount() const;
    // Whether the user changed the content since the program last set it
    // (SetRtfText, AppendRtf, SetPlainContent, ClearContent): typing, a
    // paste or a drop; undoing back to what was set counts as unchanged.
    bool EditedByHand() const;
    // Empties the view, also when read-only. OnChange fires.
    void ClearContent();
    // Replaces the whole content by plain text in the view's font (lines
    // split at CR LF or LF), also when read-only. OnChange fires once.
    void SetPlainContent(const QString &text);

    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool WantTabs() const;
    void SetWantTabs(bool wantTabs);

    // Empty selection at position (one per paragraph break), scrolled into view.
    void PlaceCaret(int position);

    // Whole content to path: plain Windows-1252 text for a ".txt" extension
    // (case-blind), RTF otherwise. Throws AppError with
    // "Impossible de créer le fichier %s" or "Erreur à l'enregistrement du flux".
    void WriteToFile(const QString &path) const;

    // Fits the content from position first into layoutTwips (twips; laid out
    // with the measures of reference, e.g. the printer) and, when render is
    // set, draws it on target at layoutTwips' top left, scaled when target's
    // resolution differs from reference's. layoutTwips is shrunk to the
    // height used. Whole lines only: a line never straddles two pages, and
    // the line containing first is drawn whole.
    // Returns the position of the first character not drawn, or the end
    // position (characters plus paragraph breaks, one each) when everything
    // fit, so a print loop stops on "result >= end"; first unchanged when not
    // even one line fits (callers must treat "no progress" as the end); -1
    // when target cannot be drawn on or the rectangle has no width.
    // With target == nullptr it only releases the cached layout and returns 0.
    // The layout is the document's shared page layout (RtfPageLayout), kept
    // between calls while reference, width and content stay the same.
    // pageTwips is not used.
    int FormatRange(QPainter *target, QPaintDevice *reference, QRect &layoutTwips,
                    const QRect &pageTwips, int first, bool render);

signals:
    // Fires after every change of content, by the program or the user.
    void OnChange();

protected:
    bool event(QEvent *event) override;

private:
    void paintFrame();
    std::unique_ptr<QTextDocument> newDocument() const;
    // Shows document in place of the current content, read by reader (none
    // for a document not read from RTF); OnChange fires once.
    void installDocument(std::unique_ptr<QTextDocument> document, std::unique_ptr<RtfReader> reader = nullptr,
                         quint64 stream = 0, qsizetype stable = 0);
    // Empties the document shown, without OnChange, when it is about to be
    // replaced.
    void releaseContent();
    bool plainTextEquals(const QByteArray &text) const;
    void contentChanged();
    void documentEdited(int removed, int added);
    // Whether the content is as read but for hand edits it can undo.
    bool undoesEdits() const;
    // Undoes them: the content is as read again.
    void undoEdits();
    // Runs read (the reader appending to the document), then what follows
    // any reading of a longer text.
    template<typename Read> void appended(Read read, quint64 stream, qsizetype stable);

    // The reading of the RTF shown, kept while the content stays as read: a
    // longer version of the same RTF (the next drill) only appends its end.
    std::unique_ptr<RtfReader> m_reader;
    quint64 m_readerSerial = 0;
    quint64 m_readerStream = 0;    // the stream read, 0 for none
    qsizetype m_readerStable = 0;  // its stable bytes in the text read last
    // Hand edits since the reading: how many, and how many characters they
    // took or put. Up to a size they are undone to go on reading (quicker
    // than reading all again); the document's undo stack holds exactly
    // them, the reading having cleared it.
    int m_edits = 0;
    qint64 m_editedCharacters = 0;
    mutable quint64 m_lengthSerial = 0; // content the cached length was counted for, 0 for none
    mutable int m_length = 0;
    bool m_muted = false;     // replacing the document: OnChange fires once, afterwards
    quint64 m_serial = 0;     // counts content changes: the reading and the length cached for one content
};

} // namespace oxeln
