#pragma once

#include "LineStyle.h"
#include "OperandDraw.h"
#include "Questions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The order of operations: P1, three to five numbers joined by + - x :, with
// at most one group in round brackets; P2, four or five numbers with a group
// in round brackets inside one in square brackets:
// "(-3) x [(+4) - ((-5) + (+1)) x (-2)] = ". Every division is exact, and
// every value met on the way, result included, lies within +-(Max valeur)^2.
// One expression per line; P2's key shows the value of its square brackets
// on the way: "... = (-3) x (-14) = (+42)".
namespace oxeln {

struct Expression
{
    struct Group
    {
        std::uint8_t first = 0; // index of its first number
        std::uint8_t last = 0;  // and of its last
        bool square = false;    // "[ ]", else "( )"
    };

    std::uint8_t count = 0;                // numbers, 3 to 5
    std::array<std::int32_t, 5> numbers{};
    std::array<char, 4> ops{};             // ops[i] between numbers i and i + 1
    std::uint8_t groupCount = 0;           // 0 to 2; an inner group before its outer
    std::array<Group, 2> groups{};

    // Operators and groups packed in 27 bits, never 0 (Question::shape).
    std::uint32_t shape() const;
    static Expression fromQuestion(const Question &question);

    // The value, or nothing when a division is not exact, divides by 0, or
    // a value leaves +-bound.
    std::optional<std::int64_t> value(std::int64_t bound) const;
};

// Draws until every division is exact and every value within bounds (a few
// tries at most; after them the products and quotients become sums, which
// always fit).
Expression DrawExpression(OperandDraw &draw, Drill drill);

// The expression as written before " = ".
void AppendExpression(std::string &out, const Expression &expression, Writing writing);
// P2: the expression with its square group replaced by its value; nothing
// for an expression without one.
std::optional<Expression> Intermediate(const Expression &expression);

void AppendExpressionLine(Drill drill, const Expression &expression, std::string_view prefix, const LineStyle &style,
                          std::string &subject, std::string *answer);
Question ExpressionQuestion(Drill drill, const Expression &expression, std::int32_t lineNumber, Writing writing);
std::vector<QuestionPart> ExpressionParts(const Question &question);
std::string ExpressionAnswer(const Question &question);
Expected ExpressionExpected(const Question &question);

} // namespace oxeln
