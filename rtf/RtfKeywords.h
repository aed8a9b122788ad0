#pragma once

#include <cstdint>
#include <string_view>

namespace oxeln::rtf {

// The control words the reader acts on. Every other word is ignored, except
// after \* where an unknown word makes the whole group skipped.
enum class Keyword : std::uint8_t {
    Unknown,
    // Document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, DefTab, Uc, U, Upr, Ud,
    // Destinations
    FontTable, ColorTable, SkipDestination,
    // Font and colour tables
    F, FCharset, Cpg, FRoman, FSwiss, FModern, Red, Green, Blue,
    // Character format
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, Super, Sub, NoSuperSub, Up, Down,
    FontSize, ForeColor, Highlight, BackColor, Hidden,
    // Paragraph format
    Pard, AlignLeft, AlignRight, AlignCenter, AlignJustify,
    // Breaks and special characters
    Par, Line, Tab, Cell, Row, Special,
};

struct KeywordInfo
{
    Keyword keyword = Keyword::Unknown;
    char16_t character = 0; // Special: the character the word stands for
};

KeywordInfo lookupKeyword(std::string_view name);

} // namespace oxeln::rtf
