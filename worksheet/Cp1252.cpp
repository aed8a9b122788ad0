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

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::optional<std::string> Utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
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
            return std::nullopt; // stray continuation, overlong lead or out of range
        }
        if (utf8.size() - i - 1 < static_cast<std::size_t>(extra))
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        const std::optional<char> byte = byteFor(cp);
        if (!byte)
            return std::nullopt;
        out.push_back(*byte);
        i += 1 + static_cast<std::size_t>(extra);
    }
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
