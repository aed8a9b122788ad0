#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace oxeln {

// Signed number text: "+" for positives, none for 0, "-" for negatives,
// digits grouped by three with spaces ("+1 250", "0", "-45 000").
std::string FormatSigned(std::int32_t n);
// Appends the same text to out without a temporary.
void AppendSigned(std::string &out, std::int32_t n);
// Plain decimal digits of n, without grouping (the exponents, the counter).
void AppendDecimal(std::string &out, std::int32_t n);
// The digits of |n| grouped by three, without a sign.
void AppendMagnitude(std::string &out, std::int32_t n);

std::string FormatSignedPower(std::int32_t a, std::int32_t n);

// Column widths in bytes. The answer widths add the 19 bytes of the two
// highlight tags, which take no room on the page.
inline constexpr std::size_t NarrowWidth = 26;
inline constexpr std::size_t NarrowAnswerWidth = 45;
inline constexpr std::size_t WideWidth = 38;
inline constexpr std::size_t WideAnswerWidth = 57;

// Spaces appended until the text reaches the width; never cut.
std::string PadNarrow(std::string_view text);
std::string PadNarrowAnswer(std::string_view text);
std::string PadWide(std::string_view text);
std::string PadWideAnswer(std::string_view text);

// Pads the cell that starts at cellStart in out, in place.
inline void PadCell(std::string &out, std::size_t cellStart, std::size_t width)
{
    const std::size_t length = out.size() - cellStart;
    if (length < width)
        out.append(width - length, ' ');
}

} // namespace oxeln
