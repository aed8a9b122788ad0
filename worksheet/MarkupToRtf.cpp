#include "MarkupToRtf.h"

#include <array>
#include <cstring>

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

// Longest tag text that a fixed row or a colour row can match.
constexpr std::size_t LongestFixedTag = 16;

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

inline char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void appendColour(std::string &out, std::string_view control, std::string_view name)
{
    for (std::size_t i = 0; i < std::size(ColourNames); ++i) {
        if (ColourNames[i] == name) {
            out.append(control);
            const std::size_t index = i + 1;
            if (index >= 10)
                out.push_back('1');
            out.push_back(static_cast<char>('0' + index % 10));
            out.push_back(' ');
            return;
        }
    }
}

// "\fs", the folded tag text with every "te=" taken out (one left-to-right
// pass, as a plain replace-all does), then " ". The size is not checked.
void appendFontSize(std::string &out, std::string_view folded)
{
    out.append("\\fs");
    std::size_t i = 0;
    while (i < folded.size()) {
        const std::size_t hit = folded.find("te=", i);
        if (hit == std::string_view::npos) {
            out.append(folded.substr(i));
            break;
        }
        out.append(folded.substr(i, hit - i));
        i = hit + 3;
    }
    out.push_back(' ');
}

void appendTag(std::string &out, std::string_view raw)
{
    if (raw.size() <= LongestFixedTag) {
        char buffer[LongestFixedTag];
        for (std::size_t i = 0; i < raw.size(); ++i)
            buffer[i] = foldAscii(raw[i]);
        const std::string_view folded(buffer, raw.size());
        if (folded.size() >= 3 && folded.substr(0, 3) == "te=") {
            appendFontSize(out, folded);
            return;
        }
        for (const TagRow &row : FixedTags) {
            if (row.tag == folded) {
                out.append(row.rtf);
                return;
            }
        }
        if (folded.size() > 3 && folded.substr(0, 3) == "ce=")
            appendColour(out, "\\cf", folded.substr(3));
        else if (folded.size() > 3 && folded.substr(0, 3) == "cf=")
            appendColour(out, "\\highlight", folded.substr(3));
        return;
    }
    // Only a font size tag can be this long.
    if (raw.size() >= 3 && foldAscii(raw[0]) == 't' && foldAscii(raw[1]) == 'e' && raw[2] == '=') {
        std::string folded(raw);
        for (char &c : folded)
            c = foldAscii(c);
        appendFontSize(out, folded);
    }
}

} // namespace

void AppendMarkupAsRtf(std::string &out, std::string_view markup)
{
    // Tags grow by at most 8/3 (<s> into "\strike "), escapes by 2: reserving
    // a little over the input covers the plain text that dominates documents.
    out.reserve(out.size() + RtfHeader.size() + markup.size() + markup.size() / 4 + 64);
    out.append(RtfHeader);

    const char *p = markup.data();
    const char *const end = p + markup.size();
    while (p < end) {
        const char *run = p;
        while (p < end && !Special[static_cast<unsigned char>(*p)])
            ++p;
        if (p != run)
            out.append(run, static_cast<std::size_t>(p - run));
        if (p == end)
            break;

        const char c = *p;
        if (c == '<') {
            const char *tagStart = p + 1;
            const void *close = std::memchr(tagStart, '>', static_cast<std::size_t>(end - tagStart));
            const char *tagEnd = close ? static_cast<const char *>(close) : end;
            appendTag(out, std::string_view(tagStart, static_cast<std::size_t>(tagEnd - tagStart)));
            p = close ? tagEnd + 1 : end;
        } else if (c == '\\' || c == '{' || c == '}') {
            out.push_back('\\');
            out.push_back(c);
            ++p;
        } else {
            ++p; // control byte: dropped
        }
    }
    out.push_back('}');
}

std::string MarkupToRtf(std::string_view markup)
{
    std::string out;
    AppendMarkupAsRtf(out, markup);
    return out;
}

} // namespace oxeln
