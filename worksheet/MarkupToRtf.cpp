#include "MarkupToRtf.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace oxeln {

const std::string_view RtfHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deftab2880\\deff0\\deflang1036"
    "{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}{\\f1\\froman\\fprq2\\fcharset0 Times New Roman;}"
    "{\\f2\\fmodern\\fprq1\\fcharset0 Courier New;}{\\f3\\froman\\fprq2\\fcharset2 Symbol;}"
    "{\\f4\\fswiss\\fcharset0 Arial;}}"
    "{\\colortbl ;\\red0\\green0\\blue0;\\red128\\green0\\blue0;\\red0\\green128\\blue0;"
    "\\red128\\green128\\blue0;\\red0\\green0\\blue128;\\red128\\green0\\blue128;"
    "\\red0\\green128\\blue128;\\red128\\green128\\blue128;\\red192\\green192\\blue192;"
    "\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red255\\green255\\blue0;"
    "\\red0\\green0\\blue255;\\red255\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red255\\green255\\blue255;}\\viewkind4\\uc1\\pard\\f0 ";

namespace {

// Tag texts and their RTF; "ce=" and "cf=" rows with colour names are added
// to the index below.
struct TagRow
{
    std::string_view tag;
    std::string_view rtf;
};

constexpr TagRow FixedTags[] = {
    {"b", "\\b "},           {"/b", "\\b0 "},
    {"i", "\\i "},           {"/i", "\\i0 "},
    {"u", "\\ul "},          {"/u", "\\ul0 "},
    {"s", "\\strike "},      {"/s", "\\strike0 "},
    {"sup", "\\super "},     {"/sup", "\\nosupersub "},
    {"sub", "\\sub "},       {"/sub", "\\nosupersub "},
    {"arial", "\\f0 "},      {"times", "\\f1 "},
    {"courier", "\\f2 "},    {"symbol", "\\f3 "},
    {"ce=auto", "\\cf0 "},   {"ce=automatique", "\\cf0 "},
    {"cf=auto", "\\highlight0 "}, {"cf=automatique", "\\highlight0 "},
    {"br", "\\par "},        {"tab", "\\tab "},
};

// Index in the header's colour table is the position here plus one.
// "\xE9" is the Windows-1252 "é".
constexpr std::string_view ColourNames[] = {
    "noir", "marron", "vert", "olive", "bleu fonc\xE9", "violet", "cyan", "gris fonc\xE9",
    "gris clair", "rouge", "vert clair", "jaune", "bleu", "fuchsia", "bleu ciel", "blanc",
};

// Every tag text but "te=" fits in 16 bytes; they are compared as two
// 64-bit words of the zero-padded text, grouped by length.
constexpr std::size_t KeyBytes = 16;

struct Key
{
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const Key &) const = default;
};

Key keyOf(const char *bytes) // KeyBytes readable bytes
{
    Key key;
    std::memcpy(&key.low, bytes, 8);
    std::memcpy(&key.high, bytes + 8, 8);
    return key;
}

struct IndexedTag
{
    Key key;
    char rtf[KeyBytes];
    std::uint8_t length;
    std::uint8_t tagLength; // a tag holding zero bytes has the key of a shorter one
};

inline std::size_t slotOf(const Key &key)
{
    return static_cast<std::size_t>((key.low * 0x9E3779B97F4A7C15ull ^ key.high * 0xC2B2AE3D27D4EB4Full) >> 56);
}

// Open addressing over 256 slots for the 54 rows: one probe nearly always.
struct TagIndex
{
    std::vector<IndexedTag> rows;
    std::array<std::uint8_t, 256> slots{}; // row + 1, 0 for free

    TagIndex()
    {
        std::vector<std::pair<std::string, std::string>> all;
        for (const TagRow &row : FixedTags)
            all.emplace_back(row.tag, row.rtf);
        for (std::size_t i = 0; i < std::size(ColourNames); ++i) {
            const std::string index = std::to_string(i + 1) + " ";
            all.emplace_back("ce=" + std::string(ColourNames[i]), "\\cf" + index);
            all.emplace_back("cf=" + std::string(ColourNames[i]), "\\highlight" + index);
        }
        for (const auto &[tag, rtf] : all) {
            char padded[KeyBytes] = {};
            std::memcpy(padded, tag.data(), tag.size());
            IndexedTag row{keyOf(padded), {}, static_cast<std::uint8_t>(rtf.size()), static_cast<std::uint8_t>(tag.size())};
            std::memcpy(row.rtf, rtf.data(), rtf.size());
            rows.push_back(row);
            std::size_t slot = slotOf(row.key);
            while (slots[slot] != 0)
                slot = (slot + 1) % slots.size();
            slots[slot] = static_cast<std::uint8_t>(rows.size());
        }
    }

    const IndexedTag *find(const Key &key, std::size_t tagLength) const
    {
        for (std::size_t slot = slotOf(key);; slot = (slot + 1) % slots.size()) {
            if (slots[slot] == 0)
                return nullptr;
            const IndexedTag &row = rows[slots[slot] - 1u];
            if (row.key == key && row.tagLength == tagLength)
                return &row;
        }
    }
};

const TagIndex Index;

// Bytes that end a run of plain text: the tag opener, the RTF syntax bytes
// and the control bytes that are dropped.
constexpr std::array<bool, 256> makeSpecialTable()
{
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c)
        table[c] = true;
    table['<'] = true;
    table['\\'] = true;
    table['{'] = true;
    table['}'] = true;
    return table;
}
constexpr std::array<bool, 256> Special = makeSpecialTable();

const char *findSpecial(const char *p, const char *end)
{
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi8(0x1F);
    const __m128i open = _mm_set1_epi8('<');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i braceOpen = _mm_set1_epi8('{');
    const __m128i braceClose = _mm_set1_epi8('}');
    while (end - p >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        __m128i hit = _mm_cmpeq_epi8(_mm_max_epu8(x, below), below); // x <= 0x1F, unsigned
        hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, open));
        hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, backslash));
        hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, braceOpen));
        hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, braceClose));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && !Special[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

// The next ">" or the end of the input.
const char *findTagEnd(const char *p, const char *end)
{
#if defined(__SSE2__)
    if (end - p >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('>')));
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    const void *close = std::memchr(p, '>', static_cast<std::size_t>(end - p));
    return close ? static_cast<const char *>(close) : end;
}

// Lower-cases A to Z in eight bytes at once; other bytes, 0x80 and above
// included, stay as they are.
inline std::uint64_t foldWord(std::uint64_t x)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const std::uint64_t low7 = x & ~highs;
    const std::uint64_t atLeastA = low7 + ones * (0x80 - 'A');
    const std::uint64_t aboveZ = low7 + ones * (0x7F - 'Z');
    const std::uint64_t upper = (atLeastA ^ aboveZ) & ~x & highs;
    return x | (upper >> 2);
}

inline char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Output appended to a string: the string grows geometrically by itself, and
// nothing is written twice (no zero-filled room ahead of the text).
class Writer
{
public:
    explicit Writer(std::string &out) : m_out(out) {}
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void put(const char *bytes, std::size_t n) { m_out.append(bytes, n); }
    void put(std::string_view text) { m_out.append(text); }
    void put(char c) { m_out.push_back(c); }
    std::size_t size() const { return m_out.size(); }

private:
    std::string &m_out;
};

// "\fs", the folded tag text with every "te=" taken out (one left-to-right
// pass, as a plain replace-all does), then " ". The size is not checked.
void putFontSize(Writer &out, std::string_view folded)
{
    out.put("\\fs");
    std::size_t i = 0;
    while (i < folded.size()) {
        const std::size_t hit = folded.find("te=", i);
        if (hit == std::string_view::npos) {
            out.put(folded.substr(i));
            break;
        }
        out.put(folded.substr(i, hit - i));
        i = hit + 3;
    }
    out.put(' ');
}

// The tag text as two words, zero beyond its length. Read straight from the
// input when 16 bytes are there: copying byte by byte into a buffer and
// reading it back as words stalls the load.
Key tagKey(const char *raw, std::size_t length, const char *inputEnd)
{
    Key key;
    if (inputEnd - raw >= static_cast<std::ptrdiff_t>(KeyBytes)) {
        key = keyOf(raw);
        const auto maskOf = [](std::size_t bytes) {
            return bytes >= 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * bytes)) - 1;
        };
        key.low &= maskOf(length);
        key.high &= length > 8 ? maskOf(length - 8) : 0;
    } else {
        char padded[KeyBytes] = {};
        std::memcpy(padded, raw, length);
        key = keyOf(padded);
    }
    key.low = foldWord(key.low);
    key.high = foldWord(key.high);
    return key;
}

void putTag(Writer &out, const char *raw, std::size_t length, const char *inputEnd)
{
    if (length <= KeyBytes) {
        const Key key = tagKey(raw, length, inputEnd);
        constexpr std::uint64_t fontSize = std::uint64_t('t') | std::uint64_t('e') << 8 | std::uint64_t('=') << 16;
        if (length >= 3 && (key.low & 0xFFFFFF) == fontSize) {
            char folded[KeyBytes];
            std::memcpy(folded, &key.low, 8);
            std::memcpy(folded + 8, &key.high, 8);
            putFontSize(out, std::string_view(folded, length));
            return;
        }
        if (const IndexedTag *row = Index.find(key, length))
            out.put(row->rtf, row->length);
        return;
    }
    // Only a font size tag can be this long.
    if (foldAscii(raw[0]) == 't' && foldAscii(raw[1]) == 'e' && raw[2] == '=') {
        std::string folded(raw, length);
        for (char &c : folded)
            c = foldAscii(c);
        putFontSize(out, folded);
    }
}

// Where a conversion can go on: the markup bytes converted for good and
// the size of their output.
struct ResumePoint
{
    std::size_t markup;
    std::size_t output;
};

// Converts the body, appending to out. Returns where the conversion may go
// on when more markup is appended: the end of the input, or the "<" of a
// tag that the input leaves open (more bytes would change it), with the
// output's size before that tag.
ResumePoint appendBody(std::string &out, std::string_view markup)
{
    Writer writer(out);
    ResumePoint resume{markup.size(), 0};
    const char *const begin = markup.data();
    const char *p = begin;
    const char *const end = p + markup.size();
    while (p < end) {
        const char *run = p;
        p = findSpecial(p, end);
        if (p != run)
            writer.put(run, static_cast<std::size_t>(p - run));
        if (p == end)
            break;

        const char c = *p;
        if (c == '<') {
            const char *tagStart = p + 1;
            const char *tagEnd = findTagEnd(tagStart, end);
            if (tagEnd == end)
                resume = {static_cast<std::size_t>(p - begin), writer.size()};
            putTag(writer, tagStart, static_cast<std::size_t>(tagEnd - tagStart), end);
            p = tagEnd == end ? end : tagEnd + 1;
        } else if (c == '\\' || c == '{' || c == '}') {
            const char escaped[2] = {'\\', c};
            writer.put(escaped, 2);
            ++p;
        } else {
            ++p; // control byte: dropped
        }
    }
    if (resume.markup == markup.size())
        resume.output = writer.size();
    return resume;
}

std::uint64_t newStream()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

} // namespace

void AppendMarkupAsRtf(std::string &out, std::string_view markup)
{
    // Plain text dominates documents; tags and escapes grow it a little.
    out.reserve(out.size() + RtfHeader.size() + markup.size() + markup.size() / 4 + 64);
    out.append(RtfHeader);
    appendBody(out, markup);
    out.push_back('}');
}

std::string MarkupToRtf(std::string_view markup)
{
    std::string out;
    AppendMarkupAsRtf(out, markup);
    return out;
}

GrowingRtf::GrowingRtf(const GrowingRtf &other)
    : m_rtf(other.m_rtf), m_markupDone(other.m_markupDone), m_rtfDone(other.m_rtfDone)
{
}

GrowingRtf &GrowingRtf::operator=(const GrowingRtf &other)
{
    if (this != &other) {
        m_rtf = other.m_rtf;
        m_markupDone = other.m_markupDone;
        m_rtfDone = other.m_rtfDone;
        m_stream = 0; // a copy goes on on its own: it is not the stream it was copied from
    }
    return *this;
}

void GrowingRtf::restart()
{
    std::string().swap(m_rtf); // a new document is small again: give the memory back
    m_markupDone = 0;
    m_rtfDone = 0;
    m_stream = 0;
}

DocumentRtf GrowingRtf::convert(std::string_view markup)
{
    if (markup.size() < m_markupDone)
        restart(); // not a continuation: convert it whole
    if (m_stream == 0)
        m_stream = newStream();
    if (m_rtfDone == 0) {
        m_rtf.clear();
        m_rtf.reserve(RtfHeader.size() + markup.size() + markup.size() / 4 + 64);
        m_rtf.append(RtfHeader);
        m_rtfDone = m_rtf.size();
    } else {
        m_rtf.resize(m_rtfDone); // drops the "}" and an open tag's conversion
    }
    const ResumePoint resume = appendBody(m_rtf, markup.substr(m_markupDone));
    m_markupDone += resume.markup;
    m_rtfDone = resume.output;
    m_rtf.push_back('}');
    return {m_rtf, m_stream, m_rtfDone};
}

} // namespace oxeln
