#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace oxeln {

// UTF-8 to Windows-1252 bytes. Gives nothing when the input is not valid
// UTF-8 or holds a character that Windows-1252 cannot write (no silent "?").
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

// Windows-1252 bytes to UTF-8; the five unassigned bytes map to U+0081 etc.
std::string Cp1252ToUtf8(std::string_view cp1252);

} // namespace oxeln
