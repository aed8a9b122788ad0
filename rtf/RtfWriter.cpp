#include "RtfWriter.h"

#include "RtfCodePage.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace oxeln {

namespace {

constexpr int kDefaultFontSize = 24; // half-points, what \plain means
// Bytes left before the body for the header: a worksheet's takes some 400.
constexpr qsizetype kHeaderRoom = 4096;

// One run's character properties, with its fonts and colours as indexes
// of the tables being written.
struct RunState
{
    int font = 0;
    int fontSize = kDefaultFontSize;
    int foreColor = 0;
    int backColor = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool symbol = false; // Symbol font: U+F0hh is written as the byte hh
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
};

struct FontKey
{
    QString family;
    QFont::StyleHint hint;
};

// A growing byte buffer written through a pointer: room(n) hands out n
// bytes that the caller fills, with no check per byte.
class Output
{
public:
    char *room(qsizetype n)
    {
        if (m_used + n > m_bytes.size())
            m_bytes.resize(qMax(m_bytes.size() * 2, m_used + n + 4096)); // uninitialised: no zero fill
        char *at = m_bytes.data() + m_used;
        m_used += n;
        return at;
    }
    void put(char c) { *room(1) = c; }
    void put(const char *text, qsizetype n) { std::memcpy(room(n), text, size_t(n)); }
    template<qsizetype N> void put(const char (&literal)[N]) { put(literal, N - 1); }
    void putNumber(int value)
    {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        put(digits, end - digits);
    }
    // Gives back the last n bytes of room that were not written.
    void unwind(qsizetype n) { m_used -= n; }
    qsizetype size() const { return m_used; }
    QByteArray take()
    {
        m_bytes.truncate(m_used);
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

void writeText(Output &out, QStringView text, bool symbol);

class Writer
{
public:
    Writer(const QTextDocument *document, qreal dpi, const std::optional<RtfWriter::Page> &page)
        : m_document(document), m_dpi(dpi), m_page(page)
    {
    }

    QByteArray run();

private:
    const RunState &stateFor(int formatIndex);
    Qt::Alignment alignmentFor(int blockFormatIndex);
    int fontIndex(const QString &family, QFont::StyleHint hint);
    int colorIndex(const QBrush &brush);
    void switchTo(const RunState &next);
    QByteArray header();

    const QTextDocument *m_document;
    qreal m_dpi;
    std::optional<RtfWriter::Page> m_page;
    QList<QTextFormat> m_formats;
    // Per format index: its run state, and for block formats the alignment.
    std::vector<std::optional<RunState>> m_states;
    std::optional<RunState> m_unknownState; // an index outside the format list
    std::vector<int> m_alignments; // -1: not looked up yet
    QList<FontKey> m_fonts;
    QList<QColor> m_colors; // entry 0, "automatic", is implicit
    RunState m_current;
    Output m_body;
};

QByteArray Writer::run()
{
    m_body.room(kHeaderRoom);
    m_formats = m_document->allFormats();
    m_states.resize(size_t(m_formats.size()));
    m_alignments.assign(size_t(m_formats.size()), -1);

    // Blocks are walked in order with as few position look-ups as the API
    // allows (each one searches the document's tree): the text comes from
    // one copy of the whole, an empty paragraph needs only its mark's
    // format, a paragraph with text its fragments' lengths and formats.
    const QString raw = m_document->toRawText(); // every block's text and separator, in order
    qsizetype blockStart = 0;
    Qt::Alignment currentAlign = Qt::AlignLeft;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const Qt::Alignment align = alignmentFor(block.blockFormatIndex());
        if (align != currentAlign) {
            m_body.put("\\pard");
            if (align & Qt::AlignRight)
                m_body.put("\\qr");
            else if (align & Qt::AlignHCenter)
                m_body.put("\\qc");
            else if (align & Qt::AlignJustify)
                m_body.put("\\qj");
            m_body.put(' ');
            currentAlign = align;
        }
        bool empty = true;
        const int blockLength = block.length();
        if (blockLength > 1) {
            const QStringView text = QStringView(raw).mid(blockStart, blockLength - 1);
            qsizetype at = 0;
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int length = fragment.isValid() ? fragment.length() : 0;
                if (length == 0)
                    continue;
                const RunState &state = stateFor(fragment.charFormatIndex());
                switchTo(state);
                writeText(m_body, text.mid(at, length), state.symbol);
                at += length;
                empty = false;
            }
        }
        // An empty paragraph's height comes from its mark's format.
        if (empty)
            switchTo(stateFor(block.charFormatIndex()));
        if (block.next().isValid())
            m_body.put("\\par\r\n");
        blockStart += blockLength;
    }
    m_body.put("}\r\n");

    // The header, known only now (its tables list what the body used), goes
    // into the room left before the body when it fits: no copy of the body.
    const QByteArray head = header();
    const qsizetype bodySize = m_body.size() - kHeaderRoom;
    QByteArray whole = m_body.take();
    if (head.size() <= kHeaderRoom) {
        whole.remove(0, kHeaderRoom - head.size()); // moves the start, copies nothing
        std::memcpy(whole.data(), head.constData(), size_t(head.size()));
        return whole;
    }
    QByteArray copy;
    copy.resize(head.size() + bodySize);
    std::memcpy(copy.data(), head.constData(), size_t(head.size()));
    std::memcpy(copy.data() + head.size(), whole.constData() + kHeaderRoom, size_t(bodySize));
    return copy;
}

QByteArray Writer::header()
{
    Output head;
    head.put("{\\rtf1\\ansi\\ansicpg1252\\deff0");
    const qreal tab = m_document->defaultTextOption().tabStopDistance();
    head.put("\\deftab");
    head.putNumber(qMax(1, int(std::lround(tab * 1440.0 / m_dpi))));
    head.put("{\\fonttbl");
    if (m_fonts.isEmpty())
        m_fonts.append({m_document->defaultFont().family(), QFont::AnyStyle});
    for (int i = 0; i < m_fonts.size(); ++i) {
        const FontKey &font = m_fonts.at(i);
        const char *family = font.hint == QFont::TypeWriter ? "\\fmodern"
                             : font.hint == QFont::Serif    ? "\\froman"
                             : font.hint == QFont::SansSerif ? "\\fswiss"
                                                             : "\\fnil";
        const bool symbol = font.family.compare(u"Symbol", Qt::CaseInsensitive) == 0;
        head.put("{\\f");
        head.putNumber(i);
        head.put(family, qsizetype(std::strlen(family)));
        if (symbol)
            head.put("\\fcharset2 ");
        else
            head.put("\\fcharset0 ");
        writeText(head, font.family, false);
        head.put(";}");
    }
    head.put("}\r\n{\\colortbl ;");
    for (const QColor &c : std::as_const(m_colors)) {
        head.put("\\red");
        head.putNumber(c.red());
        head.put("\\green");
        head.putNumber(c.green());
        head.put("\\blue");
        head.putNumber(c.blue());
        head.put(';');
    }
    head.put("}\r\n");
    if (m_page) {
        // Paragraphs without a style of their own take the default one's
        // line spacing; the page follows the tables, as readers expect.
        head.put("{\\stylesheet{\\sl");
        head.putNumber(240 * m_page->lineSpacingPercent / 100);
        head.put("\\slmult1 Normal;}}\r\n");
        const QRectF paper = m_page->layout.fullRect(QPageLayout::Millimeter);
        const QMarginsF margins = m_page->layout.margins(QPageLayout::Millimeter);
        const auto twips = [](qreal mm) { return int(std::lround(mm * 1440.0 / 25.4)); };
        for (const auto &[keyword, mm] : {std::pair{"\\paperw", paper.width()}, std::pair{"\\paperh", paper.height()},
                                          std::pair{"\\margl", margins.left()}, std::pair{"\\margr", margins.right()},
                                          std::pair{"\\margt", margins.top()}, std::pair{"\\margb", margins.bottom()}}) {
            head.put(keyword, qsizetype(std::strlen(keyword)));
            head.putNumber(twips(mm));
        }
        head.put("\r\n");
    }
    head.put("\\viewkind4\\uc1\\pard\\plain ");
    return head.take();
}

Qt::Alignment Writer::alignmentFor(int blockFormatIndex)
{
    if (blockFormatIndex < 0 || blockFormatIndex >= m_formats.size())
        return Qt::AlignLeft; // what a default block format holds
    int &slot = m_alignments[size_t(blockFormatIndex)];
    if (slot < 0)
        slot = int(m_formats.at(blockFormatIndex).toBlockFormat().alignment() & Qt::AlignHorizontal_Mask);
    return Qt::Alignment(slot);
}

const RunState &Writer::stateFor(int formatIndex)
{
    const bool known = formatIndex >= 0 && formatIndex < m_formats.size();
    std::optional<RunState> &slot = known ? m_states[size_t(formatIndex)] : m_unknownState;
    if (slot)
        return *slot;

    const QTextCharFormat fmt = known ? m_formats.at(formatIndex).toCharFormat() : QTextCharFormat();
    // Properties the format leaves unset come from the document's font.
    const QFont font = fmt.font().resolve(m_document->defaultFont());
    RunState s;
    const QString family = font.families().value(0, font.family());
    s.font = fontIndex(family, fmt.hasProperty(QTextFormat::FontStyleHint) ? font.styleHint()
                                                                             : QFont::AnyStyle);
    s.symbol = family.compare(u"Symbol", Qt::CaseInsensitive) == 0;
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF()
        : font.pixelSize() > 0              ? font.pixelSize() * 72.0 / m_dpi
                                            : kDefaultFontSize / 2.0;
    s.fontSize = qBound(1, int(std::lround(points * 2)), 3276);
    s.bold = font.weight() >= QFont::DemiBold;
    s.italic = font.italic();
    s.underline = font.underline();
    s.strike = font.strikeOut();
    s.vertical = fmt.verticalAlignment();
    if (s.vertical != QTextCharFormat::AlignSuperScript && s.vertical != QTextCharFormat::AlignSubScript)
        s.vertical = QTextCharFormat::AlignNormal;
    s.foreColor = colorIndex(fmt.foreground());
    s.backColor = colorIndex(fmt.background());
    slot = s;
    return *slot;
}

int Writer::fontIndex(const QString &family, QFont::StyleHint hint)
{
    for (int i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts.at(i).family == family)
            return i;
    }
    m_fonts.append({family, hint});
    return int(m_fonts.size() - 1);
}

int Writer::colorIndex(const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return 0;
    const QColor color = brush.color().toRgb();
    for (int i = 0; i < m_colors.size(); ++i) {
        if (m_colors.at(i).rgb() == color.rgb())
            return i + 1;
    }
    m_colors.append(color);
    return int(m_colors.size());
}

void Writer::switchTo(const RunState &next)
{
    RunState &cur = m_current;
    const qsizetype before = m_body.size();
    const auto flag = [this](bool on, const char *set, qsizetype setLength, const char *clear,
                             qsizetype clearLength) {
        if (on)
            m_body.put(set, setLength);
        else
            m_body.put(clear, clearLength);
    };
    if (next.font != cur.font) {
        m_body.put("\\f");
        m_body.putNumber(next.font);
    }
    if (next.fontSize != cur.fontSize) {
        m_body.put("\\fs");
        m_body.putNumber(next.fontSize);
    }
    if (next.bold != cur.bold)
        flag(next.bold, "\\b", 2, "\\b0", 3);
    if (next.italic != cur.italic)
        flag(next.italic, "\\i", 2, "\\i0", 3);
    if (next.underline != cur.underline)
        flag(next.underline, "\\ul", 3, "\\ulnone", 7);
    if (next.strike != cur.strike)
        flag(next.strike, "\\strike", 7, "\\strike0", 8);
    if (next.vertical != cur.vertical) {
        if (next.vertical == QTextCharFormat::AlignSuperScript)
            m_body.put("\\super");
        else if (next.vertical == QTextCharFormat::AlignSubScript)
            m_body.put("\\sub");
        else
            m_body.put("\\nosupersub");
    }
    if (next.foreColor != cur.foreColor) {
        m_body.put("\\cf");
        m_body.putNumber(next.foreColor);
    }
    if (next.backColor != cur.backColor) {
        m_body.put("\\highlight");
        m_body.putNumber(next.backColor);
    }
    if (m_body.size() != before)
        m_body.put(' ');
    cur = next;
}

void writeText(Output &out, QStringView text, bool symbol)
{
    // At most 8 bytes per character ("\u-32768?"): room for all of it at
    // once, then only what was written counts.
    char *const start = out.room(text.size() * 8);
    char *p = start;
    const char16_t *const chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
#if defined(__SSE2__)
        // Eight plain characters at a time, narrowed to bytes: most of a
        // worksheet is plain text.
        if (!symbol) {
            const __m128i below = _mm_set1_epi16(0x1F);
            const __m128i above = _mm_set1_epi16(0x80);
            const __m128i backslash = _mm_set1_epi16('\\');
            const __m128i braceOpen = _mm_set1_epi16('{');
            const __m128i braceClose = _mm_set1_epi16('}');
            while (size - i >= 8) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(chars + i));
                // Signed comparisons: characters from 0x8000 up read as negative, so not plain.
                const __m128i inRange = _mm_and_si128(_mm_cmpgt_epi16(x, below), _mm_cmplt_epi16(x, above));
                const __m128i syntax = _mm_or_si128(_mm_cmpeq_epi16(x, backslash),
                                                    _mm_or_si128(_mm_cmpeq_epi16(x, braceOpen),
                                                                 _mm_cmpeq_epi16(x, braceClose)));
                if (_mm_movemask_epi8(_mm_andnot_si128(syntax, inRange)) != 0xFFFF)
                    break;
                _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(x, x));
                p += 8;
                i += 8;
            }
            if (i == size)
                break;
        }
#endif
        const char16_t c = chars[i++];
        if (c >= 0x20 && c < 0x80 && !symbol) {
            if (c == '\\' || c == '{' || c == '}')
                *p++ = '\\';
            *p++ = char(c);
            continue;
        }
        const auto put = [&p](const char *literal) {
            const size_t n = std::strlen(literal);
            std::memcpy(p, literal, n);
            p += n;
        };
        switch (c) {
        case u'\t': put("\\tab "); continue;
        case QChar::LineSeparator: put("\\line "); continue;
        case 0x00A0: put("\\~"); continue;
        case 0x00AD: put("\\-"); continue;
        case 0x2011: put("\\_"); continue;
        default: break;
        }
        if (c < 0x20 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1)
            continue; // structure, not text
        // In a Symbol-charset font every byte reads as U+F0hh: only those
        // characters are bytes there, the rest must be written as \u.
        const int byte = !symbol                        ? cp1252::fromUnicode(c)
                         : c >= 0xF020 && c <= 0xF0FF ? (c & 0xFF)
                                                       : -1;
        if (byte == '\\' || byte == '{' || byte == '}') {
            *p++ = '\\';
            *p++ = char(byte);
        } else if (byte >= 0x80) {
            static constexpr char kHex[] = "0123456789abcdef";
            *p++ = '\\';
            *p++ = '\'';
            *p++ = kHex[byte >> 4];
            *p++ = kHex[byte & 15];
        } else if (byte >= 0x20) {
            *p++ = char(byte);
        } else {
            // Outside Windows-1252: the Unicode value, signed 16-bit, then
            // the one fallback character that \uc1 tells readers to skip.
            *p++ = '\\';
            *p++ = 'u';
            p = std::to_chars(p, p + 6, int(std::int16_t(c))).ptr;
            *p++ = '?';
        }
    }
    out.unwind(text.size() * 8 - (p - start));
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument *document, qreal dpi, const std::optional<Page> &page)
{
    return Writer(document, dpi, page).run();
}

} // namespace oxeln
