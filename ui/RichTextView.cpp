#include "RichTextView.h"

#include "RtfCodePage.h"
#include "RtfPageLayout.h"
#include "RtfReader.h"
#include "ViewDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QtMath>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace oxeln {

RichTextView::RichTextView(QWidget *parent) : QTextEdit(parent)
{
    setFont(ViewFont());
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    connect(this, &QTextEdit::textChanged, this, &RichTextView::contentChanged);
    installDocument(newDocument());
    SetReadOnly(true);
    SetWantTabs(false);
}

RichTextView::~RichTextView() = default;

std::unique_ptr<QTextDocument> RichTextView::newDocument() const
{
    return NewViewDocument(font(), logicalDpiX());
}

void RichTextView::installDocument(std::unique_ptr<QTextDocument> document, std::unique_ptr<RtfReader> reader,
                                   quint64 stream, qsizetype stable)
{
    m_reader.reset();
    // The view owns its documents as children. setDocument does not delete
    // the one it replaces: left alone, every replaced worksheet would stay
    // in memory, laid out, until the view goes.
    // (It deletes only the document it made itself, at the start.)
    QTextDocument *old = QTextEdit::document();
    const bool ours = old && old->parent() == this;
    document->setParent(this);
    m_muted = true;
    QTextDocument *shown = document.release();
    setDocument(shown);
    connect(shown, &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) { documentEdited(removed, added); });
    m_muted = false;
    if (ours)
        delete old;
    // What the program sets is the reference a hand edit is told from.
    QTextEdit::document()->setModified(false);
    m_edits = 0;
    m_editedCharacters = 0;
    ++m_serial;
    // Complete before OnChange: a drill its handler runs (it processes
    // pending clicks) may replace this document in turn.
    m_reader = std::move(reader);
    m_readerSerial = m_serial;
    m_readerStream = stream;
    m_readerStable = stable;
    emit OnChange();
}

void RichTextView::releaseContent()
{
    // Emptied before its replacement is read: a worksheet of a thousand
    // drills and its layout weigh some 60 MB, which would otherwise stay
    // beside the new document until it is shown. Nothing is painted in
    // between.
    QTextDocument *old = QTextEdit::document();
    if (!old || old->parent() != this || old->isEmpty())
        return;
    m_muted = true;
    old->clear();
    m_muted = false;
}

void RichTextView::contentChanged()
{
    ++m_serial;
    if (!m_muted)
        emit OnChange();
}

void RichTextView::documentEdited(int removed, int added)
{
    if (m_muted)
        return;
    ++m_edits;
    m_editedCharacters += removed + added;
}

bool RichTextView::undoesEdits() const
{
    if (!m_reader)
        return false;
    if (m_readerSerial == m_serial)
        return true;
    // The edits alone are on the undo stack; large ones cost more to undo
    // than the document to read.
    const QTextDocument *doc = document();
    return m_edits > 0 && doc->isUndoRedoEnabled() && doc->isUndoAvailable()
        && m_editedCharacters <= qMax<qint64>(4096, doc->characterCount() / 8);
}

void RichTextView::undoEdits()
{
    if (m_readerSerial == m_serial)
        return;
    QTextDocument *doc = document();
    m_muted = true;
    while (doc->isUndoAvailable())
        doc->undo();
    m_muted = false;
    m_edits = 0;
    m_editedCharacters = 0;
    ++m_serial;
    m_readerSerial = m_serial;
}

void RichTextView::SetRtfText(const QByteArray &rtf)
{
    SetRtfText(rtf, 0, 0);
}

void RichTextView::SetRtfText(const QByteArray &rtf, quint64 stream, qsizetype stable)
{
    if (plainTextEquals(rtf))
        return;
    const bool resume = stream != 0 ? ContinuesRtf(rtf, 0, stream) : undoesEdits() && m_reader->canResume(rtf);
    if (resume) {
        if (stream != 0)
            AppendRtf(rtf, 0, stream, stable);
        else
            appended([&] { m_reader->resume(rtf); }, stream, stable);
        return;
    }
    m_reader.reset();
    releaseContent();
    auto document = newDocument();
    std::unique_ptr<RtfReader> reader;
    if (RtfReader::isRtf(rtf)) {
        reader = std::make_unique<RtfReader>(rtf, document.get(), logicalDpiX());
    } else {
        // Not RTF: shown as the plain text it is.
        QTextCursor cursor(document.get());
        const QList<QByteArray> lines = rtf.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            QByteArray line = lines.at(i);
            line.replace('\r', QByteArray());
            cursor.insertText(cp1252::decode(line));
        }
    }
    installDocument(std::move(document), std::move(reader), stream, stable);
}

bool RichTextView::ContinuesRtf(const QByteArray &tail, qsizetype offset, quint64 stream) const
{
    if (!undoesEdits() || stream == 0 || stream != m_readerStream)
        return false;
    return m_reader->resumeOffset() <= m_readerStable && m_reader->canResumeKnown(tail, offset);
}

void RichTextView::AppendRtf(const QByteArray &tail, qsizetype offset, quint64 stream, qsizetype stable)
{
    Q_ASSERT(ContinuesRtf(tail, offset, stream));
    appended([&] { m_reader->resumeKnown(tail, offset); }, stream, stable);
}

template<typename Read> void RichTextView::appended(Read read, quint64 stream, qsizetype stable)
{
    // The same document grown at its end: the new part is appended in place,
    // to what was read.
    undoEdits();
    m_muted = true;
    read();
    m_muted = false;
    document()->setModified(false);
    ++m_serial;
    m_readerSerial = m_serial;
    m_readerStream = stream;
    m_readerStable = stable;
    // As after a full replacement: caret at the start, top in view.
    moveCursor(QTextCursor::Start);
    emit OnChange();
}

void RichTextView::SetPlainContent(const QString &text)
{
    releaseContent();
    auto document = newDocument();
    QTextCursor cursor(document.get());
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cursor.insertText(normalised);
    installDocument(std::move(document));
}

bool RichTextView::plainTextEquals(const QByteArray &text) const
{
    // Compares as it goes: two different texts usually differ at once.
    qsizetype i = 0;
    const qsizetype size = text.size();
    const auto expectBreak = [&] {
        if (i + 1 >= size || text.at(i) != '\r' || text.at(i + 1) != '\n')
            return false;
        i += 2;
        return true;
    };
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin() && !expectBreak())
            return false;
        const QString blockText = block.text();
        for (const QChar c : blockText) {
            if (c == QChar::LineSeparator) {
                if (!expectBreak())
                    return false;
            } else if (c != QChar::ObjectReplacementCharacter) {
                if (i >= size || cp1252::toUnicode(static_cast<unsigned char>(text.at(i))) != c.unicode())
                    return false;
                ++i;
            }
        }
    }
    return i == size;
}

QString RichTextView::ContentText() const
{
    return oxeln::ContentText(*document());
}

int RichTextView::ContentLength() const
{
    if (m_lengthSerial != m_serial) {
        m_length = oxeln::ContentLength(*document());
        m_lengthSerial = m_serial;
    }
    return m_length;
}

bool RichTextView::HasContent() const
{
    return oxeln::HasContent(*document());
}

int RichTextView::LineCount() const
{
    const QTextDocument *doc = document();
    const QTextBlock last = doc->lastBlock();
    const QString lastText = last.text();
    const bool lastLineEmpty = lastText.isEmpty() || lastText.endsWith(QChar::LineSeparator);
    if (doc->blockCount() >= 3)
        return doc->blockCount() - (lastLineEmpty ? 1 : 0);

    int lines = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        doc->documentLayout()->blockBoundingRect(block); // lays out up to this block
        const QTextLayout *layout = block.layout();
        lines += layout && layout->lineCount() > 0 ? layout->lineCount() : 1;
    }
    return lines - (lastLineEmpty ? 1 : 0);
}

bool RichTextView::EditedByHand() const
{
    return document()->isModified();
}

void RichTextView::ClearContent()
{
    installDocument(newDocument());
}

bool RichTextView::ReadOnly() const
{
    return isReadOnly();
}

void RichTextView::SetReadOnly(bool readOnly)
{
    setReadOnly(readOnly);
    // Read-only still lets the keyboard move the caret and select.
    if (readOnly)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

bool RichTextView::WantTabs() const
{
    return !tabChangesFocus();
}

void RichTextView::SetWantTabs(bool wantTabs)
{
    setTabChangesFocus(!wantTabs);
}

void RichTextView::PlaceCaret(int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(qBound(0, position, document()->characterCount() - 1));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void RichTextView::WriteToFile(const QString &path) const
{
    WriteDocumentFile(path, *document(), logicalDpiX());
}

bool RichTextView::event(QEvent *event)
{
    // The view's own paint event draws only its frame (and the corner
    // between two scroll bars); the text is the viewport's.
    if (event->type() != QEvent::Paint)
        return QTextEdit::event(event);
    paintFrame();
    return true;
}

void RichTextView::paintFrame()
{
    // At a fractional scale (1.5) a line one pixel of ours wide falls
    // across screen pixels, and the toolkit's frame lost its top or bottom
    // line to rounding: this one is laid on the outermost screen pixels the
    // view wholly covers, whatever the scale.
    QPainter painter(this);
    if (verticalScrollBar()->isVisible() && horizontalScrollBar()->isVisible()) {
        QStyleOption corner;
        corner.initFrom(this);
        corner.rect = QRect(verticalScrollBar()->x(), horizontalScrollBar()->y(), verticalScrollBar()->width(),
                            horizontalScrollBar()->height());
        style()->drawPrimitive(QStyle::PE_PanelScrollAreaCorner, &corner, &painter, this);
    }
    const QTransform toDevice = painter.deviceTransform();
    const QRectF device = toDevice.mapRect(QRectF(rect()));
    const qreal ratio = device.width() / qMax(1, width());
    const qreal thickness = qMax(1, qRound(ratio));
    // Whole screen pixels inside the view, back in the view's coordinates.
    const qreal left = qCeil(device.left() - 1e-6), top = qCeil(device.top() - 1e-6);
    const qreal right = qFloor(device.right() + 1e-6), bottom = qFloor(device.bottom() + 1e-6);
    const QTransform fromDevice = toDevice.inverted();
    const auto band = [&](qreal x1, qreal y1, qreal x2, qreal y2) {
        return fromDevice.mapRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)));
    };
    const QColor line = palette().color(QPalette::Window).darker(140).lighter(108);
    painter.fillRect(band(left, top, right, top + thickness), line);
    painter.fillRect(band(left, bottom - thickness, right, bottom), line);
    painter.fillRect(band(left, top, left + thickness, bottom), line);
    painter.fillRect(band(right - thickness, top, right, bottom), line);
}

int RichTextView::FormatRange(QPainter *target, QPaintDevice *reference, QRect &layoutTwips,
                              const QRect &pageTwips, int first, bool render)
{
    Q_UNUSED(pageTwips);
    return oxeln::FormatRange(target, reference, *document(), logicalDpiX(), layoutTwips, first, render);
}

} // namespace oxeln
