#include "Cp1252.h"

#include <cstdint>

namespace oxeln {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 where Windows-1252 assigns none.
constexpr char32_t HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<char> byteFor(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] != 0 && HighControls[i] == cp)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

// The combining accents that compose with an ASCII letter into a letter of
// Windows-1252: the letters they follow, and the byte of each result.
struct Composition
{
    char32_t mark;
    const char *bases;
    const char *composed;
};

constexpr Composition Compositions[] = {
    {0x0300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},             // grave
    {0x0301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"}, // acute
    {0x0302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},             // circumflex
    {0x0303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},                                     // tilde
    {0x0308, "AEIOUYaeiouy", "\xC4\xCB\xCF\xD6\xDC\x9F\xE4\xEB\xEF\xF6\xFC\xFF"}, // diaeresis
    {0x030A, "Aa", "\xC5\xE5"},                                                             // ring
    {0x030C, "SZsz", "\x8A\x8E\x9A\x9E"},                                                 // caron
    {0x0327, "Cc", "\xC7\xE7"},                                                             // cedilla
};

// Characters that the composed form replaces by another one (tone marks
// by the accents they duplicate).
char32_t canonical(char32_t cp)
{
    switch (cp) {
    case 0x0340: return 0x0300;
    case 0x0341: return 0x0301;
    case 0x037E: return U';';
    case 0x0387: return 0x00B7;
    case 0x1FEF: return U'`';
    case 0x1FFD: return 0x00B4;
    case 0x212A: return U'K';
    case 0x212B: return 0x00C5;
    default: return cp;
    }
}

// The letter that out's last character makes with the accent mark, if any.
std::optional<char> composedWith(const std::string &out, char32_t mark)
{
    if (out.empty())
        return std::nullopt;
    for (const Composition &c : Compositions) {
        if (c.mark != mark)
            continue;
        for (std::size_t i = 0; c.bases[i] != 0; ++i) {
            if (c.bases[i] == out.back())
                return c.composed[i];
        }
    }
    return std::nullopt;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::optional<std::string> Utf8ToCp1252(std::string_view utf8, Cp1252Refusal *refusal)
{
    std::string out;
    out.reserve(utf8.size());
    const auto refuse = [refusal](Cp1252Refusal::Kind kind, std::size_t position, char32_t character) {
        if (refusal)
            *refusal = Cp1252Refusal{kind, position, character};
        return std::nullopt;
    };
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t lowest = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1; cp = lead & 0x1F; lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2; cp = lead & 0x0F; lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3; cp = lead & 0x07; lowest = 0x10000;
        } else {
            // stray continuation, overlong lead or out of range
            return refuse(Cp1252Refusal::Kind::InvalidUtf8, i + 1, 0);
        }
        if (utf8.size() - i - 1 < static_cast<std::size_t>(extra))
            return refuse(Cp1252Refusal::Kind::InvalidUtf8, i + 1, 0);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return refuse(Cp1252Refusal::Kind::InvalidUtf8, i + 1, 0);
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return refuse(Cp1252Refusal::Kind::InvalidUtf8, i + 1, 0);
        i += 1 + static_cast<std::size_t>(extra);

        cp = canonical(cp);
        if (const std::optional<char> letter = composedWith(out, cp)) {
            out.back() = *letter;
            continue;
        }
        const std::optional<char> byte = byteFor(cp);
        if (!byte)
            return refuse(Cp1252Refusal::Kind::NotInCp1252, out.size() + 1, cp); // one byte per character so far
        out.push_back(*byte);
    }
    return out;
}

std::string CodePointToUtf8(char32_t cp)
{
    std::string out;
    appendUtf8(out, cp);
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 8);
    for (char c : cp1252) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F && HighControls[b - 0x80] != 0)
            appendUtf8(out, HighControls[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

} // namespace oxeln
