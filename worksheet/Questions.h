#pragma once

#include "Drill.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace oxeln {

// One piece of a question as the subject writes it: a term with its
// parentheses ("(-14)", "(+1 021)"), an operator with its spaces (" + ",
// " : "), or the exponent of a power, written raised ("3").
struct QuestionPart
{
    enum class Kind { Term, Operator, Exponent };

    Kind kind = Kind::Term;
    std::string text; // Windows-1252 bytes, as in the documents

    bool operator==(const QuestionPart &) const = default;
};

// A question drawn for the worksheet, kept beside its documents so that it
// can be shown on its own (projected, one at a time). A paired line holds
// four questions, a chain line one. It keeps the numbers drawn, and writes
// its texts with the drills' own words on request, so keeping it costs the
// drills no text.
struct Question
{
    Drill drill = Drill::Plus;
    std::int32_t line = 0;  // the number its line carries: 7 for "07/"
    std::int32_t place = 1; // 1 to 4 from the left on a paired line; 1 for a chain
    // Paired drills: the first and the second number (terms, factors,
    // dividend and divisor, base and exponent). Chains: the eight terms, and
    // which of them are subtracted.
    std::array<std::int32_t, 8> numbers{};
    std::array<bool, 8> minus{};

    bool isChain() const { return drill == Drill::S1 || drill == Drill::S2; }
    // The question in pieces, as the subject writes it before its " = ".
    std::vector<QuestionPart> parts() const;
    // The same in the worksheet markup: "(-14) + (-8)", "(+5)<sup>3</sup>".
    std::string markup() const;
    // The highlighted text of the answer key: "(-22)", "(+125)", "(/)".
    std::string answer() const;

    bool operator==(const Question &) const = default;
};

using QuestionList = std::vector<Question>;

} // namespace oxeln
