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

struct FontEntry
{
    QString name;
    int charset = 0;
    int codePage = 0; // \cpg, 0 when absent
    QFont::StyleHint hint = QFont::AnyStyle;
};

// Writes decoded text into a QTextDocument. Text is buffered while its
// format stays the same and inserted once per change of format, which is
// what makes reading large documents fast.
class Builder
{
public:
    explicit Builder(QTextDocument *document);
    ~Builder();
    Builder(const Builder &) = delete;
    Builder &operator=(const Builder &) = delete;

    // The tables, for changing: text read so far is inserted first, so
    // that it keeps the formats it was read with.
    QHash<int, FontEntry> &editFonts();
    QList<QColor> &editColors();
    void setAnsiCodePage(int codePage);
    void setDefaultFont(int font);

    // Groups the changes into one edit of the document.
    void beginEdit() { m_cursor.beginEditBlock(); }
    void endEdit() { m_cursor.endEditBlock(); }

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

    QTextCursor m_cursor;
    QHash<int, FontEntry> m_fonts;
    QList<QColor> m_colors;
    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;

    QString m_buffer; // text waiting to be inserted, all in m_bufferState
    QByteArray m_bytes; // bytes of a multi-byte code page not yet decoded
    int m_bytesCodePage = 0;
    CharState m_bufferState;
    bool m_blockHasText = false;
    // Format of the current paragraph's mark and its alignment, as set in
    // the document: set again only when they change.
    CharState m_markState;
    bool m_markSet = false;
    Align m_blockAlign = Align::Left;
    bool m_finishedEarly = false;

    int m_codePageFont = -2; // font whose code page m_codePage holds
    int m_codePage = 1252;
    std::unordered_map<int, std::unique_ptr<QStringDecoder>> m_decoders;
    std::map<CharState, QTextCharFormat> m_formats;
};

} // namespace oxeln::rtf
