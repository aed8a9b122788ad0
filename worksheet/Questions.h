#pragma once

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
// four questions, a chain line one.
struct Question
{
    std::int32_t line = 0;  // the number its line carries: 7 for "07/"
    std::int32_t place = 1; // 1 to 4 from the left on a paired line; 1 for a chain
    std::vector<QuestionPart> parts;
    // The highlighted text of the answer key: "(-22)", "(+125)", "(/)".
    std::string answer;

    // The question in the worksheet markup, as the subject writes it before
    // its " = ": "(-14) + (-8)", "(+5)<sup>3</sup>".
    std::string markup() const;

    bool operator==(const Question &) const = default;
};

using QuestionList = std::vector<Question>;

} // namespace oxeln
