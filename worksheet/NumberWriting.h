#pragma once

#include "DrillOptions.h"

#include <cstdint>
#include <string>

// The writing modes over the signed number text: every number of every drill
// is written here, so that a mode reads the same everywhere. Parentheses
// gives the bytes the drills always wrote: "(" + FormatSigned + ")".
namespace oxeln {

// A number that opens an expression or a group, or stands alone: "(-6)"
// ("(+6)"), "(-6)" ("6"), "-6" ("6") in the three modes.
void AppendLeading(std::string &out, std::int32_t n, Writing writing);
// A number after "x" or ":", or the base of a power: "(-6)" ("(+6)"), then
// "(-6)" ("6") in the other two modes.
void AppendFactor(std::string &out, std::int32_t n, Writing writing);
// A result: "(-6)" ("(+6)", "(0)") with parentheses, else "-6" ("6", "0").
void AppendResult(std::string &out, std::int32_t n, Writing writing);

// The text of an operator, '+', '-', 'x' or ':', spaced (" + ") as in the
// subjects, or bare ("+") as in the keys of the paired drills.
std::string_view OperatorText(char op, bool spaced);

// An operator and the number after it. In simplified writing a sum's sign
// merges with the number's ("- (-5)" is "+ 5"); otherwise the number is
// written as a factor.
void AppendOperation(std::string &out, char op, std::int32_t n, Writing writing, bool spaced);
// The operator that AppendOperation writes for op and n.
char WrittenOperator(char op, std::int32_t n, Writing writing);

} // namespace oxeln

namespace oxeln {

// The room a markup text takes on the page: tags take none, but "<lt>",
// which writes a "<", takes one character.
std::size_t VisibleLength(std::string_view markup);
// Spaces appended to the cell that starts at cellStart until it takes width
// characters on the page; never cut.
void PadVisible(std::string &out, std::size_t cellStart, std::size_t width);

// "<" in the markup: "<" itself would open a tag.
inline constexpr std::string_view LessThanMarkup = "<lt>";

} // namespace oxeln
