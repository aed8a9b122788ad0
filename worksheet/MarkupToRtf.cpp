#include "MarkupToRtf.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
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
    // "<": the markup has no other way to write it, since "<" opens a tag.
    {"lt", "\\'3c"},
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
    char rtf[KeyBytes]; // zero padded: copied whole, then the output advances by length
    std::uint8_t length;
    std::uint8_t tagLength; // a tag holding zero bytes has the key of a shorter one
};

inline std::size_t slotOf(const Key &key)
{
    return static_cast<std::size_t>((key.low * 0x9E3779B97F4A7C15ull ^ key.high * 0xC2B2AE3D27D4EB4Full) >> 56);
}

// Open addressing over 256 slots for the 55 rows: one probe nearly always.
struct TagIndex
{
    std::vector<IndexedTag> rows;
    std::array<std::uint8_t, 256> slots{}; // row + 1, 0 for free

    TagIndex()
    {
        std::vector<std::pair<std::string, std::string>> all;
        for (const TagRow &row : FixedTags)
            all.emplace_back(row.tag, row.rtf);
        for (std::size_t i = 0; i < std::size(MarkupColourNames); ++i) {
            const std::string index = std::to_string(i + 1) + " ";
            all.emplace_back("ce=" + std::string(MarkupColourNames[i]), "\\cf" + index);
            all.emplace_back("cf=" + std::string(MarkupColourNames[i]), "\\highlight" + index);
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

// Room for the output, reused by the conversions of this thread: a drill's
// lines are written into warm memory. A buffer grown past this is given
// back after use, so a whole worksheet's conversion keeps nothing.
constexpr std::size_t KeptScratch = 256 * 1024;

struct Scratch
{
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
};

thread_local Scratch ThreadScratch;

// Output written through a raw pointer into room grown ahead of need: no
// check or call per byte, and no zero-filled room (the scratch buffer is
// not initialised; only what is written is copied out, once, at the end).
class Writer
{
public:
    explicit Writer(std::size_t expected) : m_scratch(ThreadScratch)
    {
        if (m_scratch.capacity < expected) {
            m_scratch.capacity = std::max<std::size_t>(expected, 4096);
            m_scratch.bytes.reset(new char[m_scratch.capacity]);
        }
        m_p = m_scratch.bytes.get();
        m_limit = m_p + m_scratch.capacity;
    }
    ~Writer()
    {
        if (m_scratch.capacity > KeptScratch) {
            m_scratch.bytes.reset();
            m_scratch.capacity = 0;
        }
    }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void ensure(std::size_t n)
    {
        if (static_cast<std::size_t>(m_limit - m_p) < n)
            grow(n);
    }
    void put(const char *bytes, std::size_t n)
    {
        ensure(n);
        std::memcpy(m_p, bytes, n);
        m_p += n;
    }
    void put(std::string_view text) { put(text.data(), text.size()); }
    void put(char c)
    {
        ensure(1);
        *m_p++ = c;
    }
    // A 16-byte block of which only the first n bytes count.
    void putBlock(const char *block, std::size_t n)
    {
        ensure(KeyBytes);
        std::memcpy(m_p, block, KeyBytes);
        m_p += n;
    }
    std::size_t size() const { return static_cast<std::size_t>(m_p - m_scratch.bytes.get()); }
    void appendTo(std::string &out) const { appendTo(out, size()); }
    // The first n bytes written.
    void appendTo(std::string &out, std::size_t n) const { out.append(m_scratch.bytes.get(), n); }

private:
    void grow(std::size_t n)
    {
        const std::size_t used = size();
        const std::size_t capacity = std::max(m_scratch.capacity * 2, used + n + 64);
        std::unique_ptr<char[]> bigger(new char[capacity]);
        std::memcpy(bigger.get(), m_scratch.bytes.get(), used);
        m_scratch.bytes = std::move(bigger);
        m_scratch.capacity = capacity;
        m_p = m_scratch.bytes.get() + used;
        m_limit = m_scratch.bytes.get() + capacity;
    }

    Scratch &m_scratch;
    char *m_p = nullptr;
    char *m_limit = nullptr;
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
            out.putBlock(row->rtf, row->length);
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

// Converts a piece of the body into writer. Returns where the conversion
// may go on when more markup follows: the end of the piece, or the "<" of a
// tag that the piece leaves open (more bytes would change it), with the
// output's size before that tag.
ResumePoint convertPiece(Writer &writer, std::string_view markup)
{
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

// Markup converted at a time: its output fits the kept scratch buffer.
constexpr std::size_t PieceBytes = KeptScratch / 2;

// Converts the body, appending to out, a piece at a time so that the
// scratch buffer stays small and warm. Returns where the conversion may go
// on (convertPiece), in bytes of markup and of out.
ResumePoint appendBody(std::string &out, std::string_view markup)
{
    std::size_t done = 0;
    std::size_t piece = std::min(PieceBytes, markup.size());
    for (;;) {
        const bool last = done + piece == markup.size();
        // Plain text dominates documents; tags and escapes grow it a little,
        // and the writer grows its buffer when that is not enough.
        Writer writer(piece + piece / 4 + 64);
        const ResumePoint resume = convertPiece(writer, markup.substr(done, piece));
        if (last) {
            const ResumePoint whole{done + resume.markup, out.size() + resume.output};
            writer.appendTo(out);
            return whole;
        }
        if (resume.markup == 0) {
            piece = markup.size() - done; // one tag longer than a piece: the rest in one go
            continue;
        }
        // A tag cut open by the piece's end is converted with the next piece.
        writer.appendTo(out, resume.output);
        done += resume.markup;
        piece = std::min(PieceBytes, markup.size() - done);
    }
}

std::uint64_t newStream()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

} // namespace

void AppendMarkupAsRtf(std::string &out, std::string_view markup)
{
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

std::string WholeRtf(const DocumentRtf &rtf)
{
    return rtf.offset == 0 ? std::string(rtf.tail) : MarkupToRtf(rtf.markup);
}

GrowingRtf::GrowingRtf(const GrowingRtf &other)
    : m_tail(other.m_tail), m_markupDone(other.m_markupDone), m_rtfDone(other.m_rtfDone)
{
}

GrowingRtf &GrowingRtf::operator=(const GrowingRtf &other)
{
    if (this != &other) {
        m_tail = other.m_tail;
        m_markupDone = other.m_markupDone;
        m_rtfDone = other.m_rtfDone;
        m_stream = 0; // a copy goes on on its own: it is not the stream it was copied from
    }
    return *this;
}

void GrowingRtf::restart()
{
    m_markupDone = 0;
    m_rtfDone = 0;
    m_stream = 0;
}

DocumentRtf GrowingRtf::convert(std::string_view markup)
{
    if (markup.size() < m_markupDone)
        restart(); // not a continuation: convert it whole
    std::size_t offset = m_rtfDone;
    if (m_stream == 0) {
        // The first text of a stream is the whole conversion.
        m_stream = newStream();
        m_markupDone = 0;
        offset = 0;
    }
    m_tail.clear();
    if (offset == 0) {
        m_tail.reserve(RtfHeader.size() + markup.size() + markup.size() / 4 + 64);
        m_tail.append(RtfHeader);
    }
    // From the end of what was converted for good: past an open tag's
    // conversion, which more markup may change.
    const ResumePoint resume = appendBody(m_tail, markup.substr(m_markupDone));
    m_markupDone += resume.markup;
    m_rtfDone = offset + resume.output;
    m_tail.push_back('}');
    return {markup, m_tail, offset, m_stream, m_rtfDone};
}

} // namespace oxeln
