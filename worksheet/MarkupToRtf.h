#pragma once

#include <string>
#include <string_view>

namespace oxeln {

// The fixed RTF header (643 bytes): code page 1252, default tab 2880,
// French, fonts 0 to 4 and the sixteen-colour table of the markup.
extern const std::string_view RtfHeader;

// Turns worksheet markup (Windows-1252 bytes) into one complete RTF text:
// header, converted body, "}". Tags are looked up case-insensitively
// (A-Z only); unknown tags vanish; bytes below 0x20 are dropped; "\", "{"
// and "}" in the text are escaped so a title cannot break the RTF.
std::string MarkupToRtf(std::string_view markup);

// The same, appending to out (which keeps its content).
void AppendMarkupAsRtf(std::string &out, std::string_view markup);

} // namespace oxeln
