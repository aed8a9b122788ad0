#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>

class QStringDecoder;
class QTextDocument;

namespace oxeln::rtf {

constexpr int kDefaultFontSize = 24; // half-points: 12 pt

// Character properties of an RTF group; indexes refer to the font and
// colour tables.
struct CharState
{
    int font = -1; // -1: the document's default font (\deff)
    int fontSize = kDefaultFontSize;
    int foreColor = 0;
    int backColor = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    std::uint8_t vertical = 0; // 0 normal, 1 super, 2 sub

    auto operator<=>(const CharState &) const = default;
};

enum class Align : std::uint8_t { Left, Right, Center, Justify };

inline Qt::Alignment toQtAlignment(Align align)
{
    return align == Align::Left     ? Qt::AlignLeft
         : align == Align::Right    ? Qt::AlignRight
         : align == Align::Center   ? Qt::AlignHCenter
                                    : Qt::AlignJustify;
}

struct FontEntry
{
    QString name;
    int charset = 0;
    int codePage = 0; // \cpg, 0 when absent
    QFont::StyleHint hint = QFont::AnyStyle;
};

// Where the text read goes: the builder hands it over in runs of one format,
// paragraph by paragraph, and a target keeps what it needs of it.
class Target
{
public:
    virtual ~Target() = default;

    virtual void beginEdit() {}
    virtual void endEdit() {}
    // Whether the calls below need the formats; without, they get empty ones.
    virtual bool wantsFormats() const { return true; }
    // Text of one format (state's); no paragraph marks in it.
    virtual void insertText(const QString &text, const CharState &state, const QTextCharFormat &format) = 0;
    // Ends the current paragraph; the next one's mark has state's format.
    virtual void insertBlock(const CharState &state, const QTextCharFormat &format) = 0;
    // The current paragraph, still without text, takes state's mark format.
    virtual void setMark(const CharState &state, const QTextCharFormat &format) = 0;
    virtual void setAlignment(Align align) = 0;
    // The format of a state may differ from now on (tables, code page or
    // default font changed).
    virtual void formatsChanged() {}
};

// The target of a rich text view: a QTextDocument, written at its end.
class DocumentTarget : public Target
{
public:
    explicit DocumentTarget(QTextDocument *document) : m_cursor(document) {}

    void beginEdit() override;
    void endEdit() override { m_cursor.endEditBlock(); }
    void insertText(const QString &text, const CharState &, const QTextCharFormat &format) override
    {
        m_cursor.insertText(text, format);
    }
    void insertBlock(const CharState &, const QTextCharFormat &format) override;
    void setMark(const CharState &, const QTextCharFormat &format) override { m_cursor.setBlockCharFormat(format); }
    void setAlignment(Align align) override;

private:
    QTextCursor m_cursor;
};

// Decodes text and hands it to a target, buffered while its format stays
// the same, so that it arrives once per change of format, which is what
// makes reading large documents fast.
class Builder
{
public:
    explicit Builder(Target &target);
    ~Builder();
    Builder(const Builder &) = delete;
    Builder &operator=(const Builder &) = delete;

    // The tables, for changing: text read so far is handed over first, so
    // that it keeps the formats it was read with.
    QHash<int, FontEntry> &editFonts();
    QList<QColor> &editColors();
    void setAnsiCodePage(int codePage);
    void setDefaultFont(int font);

    // Groups the changes into one edit of the target.
    void beginEdit() { m_target.beginEdit(); }
    void endEdit() { m_target.endEdit(); }

    // A byte in the code page of the state's font.
    void appendByte(const CharState &state, std::uint8_t byte);
    // A run of such bytes, all in one format.
    void appendBytes(const CharState &state, const char *bytes, qsizetype count);
    // A character; those the document model would take as structure
    // (controls other than tab, paragraph and frame marks) are dropped.
    void appendChar(const CharState &state, char16_t c);
    void appendSurrogatePair(const CharState &state, char16_t high, char16_t low);
    // Ends the current paragraph; state is its mark's format.
    void paragraph(const CharState &state, Align align);
    // Ends the text read so far: the last paragraph stays open, and more
    // text may follow (reading a longer version of the same document).
    void finish(const CharState &state, Align align);
    // True when finish() had to complete something that more input could
    // have continued (half of a multi-byte character).
    bool finishedEarly() const { return m_finishedEarly; }

private:
    void tablesChanged();
    void prepare(const CharState &state);
    void decodePendingBytes();
    void flush();
    void endBlock(const CharState &state, Align align);
    int codePage(const CharState &state);
    QStringDecoder *decoderFor(int codePage);
    const QTextCharFormat &format(const CharState &state);

    Target &m_target;
    const bool m_wantsFormats;
    QHash<int, FontEntry> m_fonts;
    QList<QColor> m_colors;
    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;

    QString m_buffer; // text waiting to be handed over, all in m_bufferState
    QByteArray m_bytes; // bytes of a multi-byte code page not yet decoded
    int m_bytesCodePage = 0;
    CharState m_bufferState;
    bool m_blockHasText = false;
    // Format of the current paragraph's mark and its alignment, as set in
    // the target: set again only when they change.
    CharState m_markState;
    bool m_markSet = false;
    Align m_blockAlign = Align::Left;
    bool m_finishedEarly = false;

    int m_codePageFont = -2; // font whose code page m_codePage holds
    int m_codePage = 1252;
    std::unordered_map<int, std::unique_ptr<QStringDecoder>> m_decoders;
    std::map<CharState, QTextCharFormat> m_formats;
    QTextCharFormat m_noFormat;
};

} // namespace oxeln::rtf
