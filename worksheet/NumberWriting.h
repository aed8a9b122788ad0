#pragma once

#include "DrillOptions.h"
#include "NumberFormat.h"

#include <cstdint>
#include <string>
#include <string_view>

// The writing modes over the signed number text: every number of every drill
// is written here, so that a mode reads the same everywhere. Parentheses
// gives the bytes the drills always wrote: "(" + FormatSigned + ")".
namespace oxeln {

namespace writing_detail {

inline void appendBracketed(std::string &out, std::int32_t n)
{
    out.push_back('(');
    AppendSigned(out, n);
    out.push_back(')');
}

// Digits with a "-" for negatives, never a "+".
inline void appendPlain(std::string &out, std::int32_t n)
{
    if (n < 0)
        out.push_back('-');
    AppendMagnitude(out, n);
}

inline bool mergesSign(char op, Writing writing)
{
    return writing == Writing::Simplified && (op == '+' || op == '-');
}

} // namespace writing_detail

// These sit on every drill's path, so they are inline.

// A number after "x" or ":", or the base of a power: "(-6)" ("(+6)"), then
// "(-6)" ("6") in the other two modes.
inline void AppendFactor(std::string &out, std::int32_t n, Writing writing)
{
    if (writing == Writing::Parentheses || n < 0)
        writing_detail::appendBracketed(out, n);
    else
        writing_detail::appendPlain(out, n);
}

// A number that opens an expression or a group, or stands alone: "(-6)"
// ("(+6)"), "(-6)" ("6"), "-6" ("6") in the three modes.
inline void AppendLeading(std::string &out, std::int32_t n, Writing writing)
{
    if (writing == Writing::Simplified)
        writing_detail::appendPlain(out, n);
    else
        AppendFactor(out, n, writing);
}

// A result: "(-6)" ("(+6)", "(0)") with parentheses, else "-6" ("6", "0").
inline void AppendResult(std::string &out, std::int32_t n, Writing writing)
{
    if (writing == Writing::Parentheses)
        writing_detail::appendBracketed(out, n);
    else
        writing_detail::appendPlain(out, n);
}

// The text of an operator, '+', '-', 'x' or ':', spaced (" + ") as in the
// subjects, or bare ("+") as in the keys of the paired drills.
constexpr std::string_view OperatorText(char op, bool spaced)
{
    switch (op) {
    case '+': return spaced ? " + " : "+";
    case '-': return spaced ? " - " : "-";
    case 'x': return spaced ? " x " : "x";
    default: return spaced ? " : " : ":";
    }
}

// The operator that AppendOperation writes for op and n.
inline char WrittenOperator(char op, std::int32_t n, Writing writing)
{
    if (!writing_detail::mergesSign(op, writing) || n >= 0)
        return op;
    return op == '+' ? '-' : '+';
}

// An operator and the number after it. In simplified writing a sum's sign
// merges with the number's ("- (-5)" is "+ 5"); otherwise the number is
// written as a factor.
inline void AppendOperation(std::string &out, char op, std::int32_t n, Writing writing, bool spaced)
{
    const char written = WrittenOperator(op, n, writing);
    if (spaced) {
        const char text[3] = {' ', written, ' '};
        out.append(text, 3);
    } else {
        out.push_back(written);
    }
    if (writing_detail::mergesSign(op, writing))
        AppendMagnitude(out, n);
    else
        AppendFactor(out, n, writing);
}

// The room a markup text takes on the page: tags take none, but "<lt>",
// which writes a "<", takes one character.
std::size_t VisibleLength(std::string_view markup);
// Spaces appended to the cell that starts at cellStart until it takes width
// characters on the page; never cut.
void PadVisible(std::string &out, std::size_t cellStart, std::size_t width);

// "<" in the markup: "<" itself would open a tag.
inline constexpr std::string_view LessThanMarkup = "<lt>";

} // namespace oxeln
