#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace oxeln {

// Why a text could not be converted.
struct Cp1252Refusal
{
    enum class Kind { InvalidUtf8, NotInCp1252 };
    Kind kind = Kind::InvalidUtf8;
    // InvalidUtf8: where the first bad sequence starts, in bytes counted
    // from 1. NotInCp1252: the character's place in the text, counted from
    // 1 in characters as composed, and its code point.
    std::size_t position = 0;
    char32_t character = 0;
};

// UTF-8 to Windows-1252 bytes. A letter followed by a combining accent is
// first composed into the one letter it makes ("e" and U+0301 are "é"), as
// Unicode's composed form (NFC) has it, and the few characters that form
// gives as Windows-1252 ones (the Kelvin and Angstrom signs...) become
// them. Gives nothing when the input is not valid UTF-8 or holds a
// character that Windows-1252 cannot write (no silent "?"); refusal, when
// given, then tells which.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8, Cp1252Refusal *refusal = nullptr);

// One character (below U+110000) in UTF-8.
std::string CodePointToUtf8(char32_t cp);

// Windows-1252 bytes to UTF-8; the five unassigned bytes map to U+0081 etc.
std::string Cp1252ToUtf8(std::string_view cp1252);

} // namespace oxeln
