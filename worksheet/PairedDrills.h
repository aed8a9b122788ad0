#pragma once

#include "LineStyle.h"
#include "OperandDraw.h"
#include "Questions.h"
#include "RandomSource.h"
#include "Worksheet.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace oxeln {

// Dividend for a non-zero divisor d: seven times in eight an exact multiple
// m * d with m in [0, V); else (d + t + 1) * m with t in [0, 10), mostly inexact.
std::int32_t DrawDividend(RandomSource &random, std::int32_t divisor, std::int32_t maxValue);

// Quotient truncated toward zero as a signed number text, or "/" when the
// division leaves a remainder. d must not be 0.
std::string FormatQuotient(std::int32_t dividend, std::int32_t divisor);

// Exponent for base b: 2 plus a draw bounded so that |b|^e stays below
// 100,000,000, then one chance in 41 each of 0 and 1.
std::int32_t DrawExponent(RandomSource &random, std::int32_t base);

// Largest exponent the first step of DrawExponent can give for |b|.
std::int32_t HighestExponent(std::int32_t base);

// DrawExponent with a largest exponent of its own (1 or more): 2 plus a
// draw up to the lower of the two bounds, then 0 and 1 as there.
std::int32_t DrawLimitedExponent(RandomSource &random, std::int32_t base, std::int32_t largest);

// One question of Plus, Minus, Mult, Divide (dividend, divisor) or Power
// (base, exponent).
struct PairedQuestion
{
    std::int32_t first = 0;
    std::int32_t second = 0;
};
using PairedLine = std::array<PairedQuestion, 4>;

// The eight draws of one line, question 1 first.
PairedLine DrawPairedLine(RandomSource &random, Drill drill, std::int32_t maxValue);
// One question under the drill's options; with the options at their
// defaults, the draws of DrawPairedLine for one question.
PairedQuestion DrawPairedQuestion(OperandDraw &draw, Drill drill);

// Appends the subject line (prefix, four padded cells, interline breaks) and,
// when answer is given, the answer line. drill must be one of the five
// paired drills.
void AppendPairedLine(Drill drill, const PairedLine &line, std::string_view prefix,
                      std::int32_t interlineCount, std::string &subject, std::string *answer);
void AppendPairedLine(Drill drill, const PairedLine &line, std::string_view prefix, const LineStyle &style,
                      std::string &subject, std::string *answer);

// Appends the line's four questions to out.
void AppendPairedQuestions(Drill drill, const PairedLine &line, std::int32_t lineNumber, QuestionList &out,
                           Writing writing = Writing::Parentheses);
Question PairedQuestionOf(Drill drill, const PairedQuestion &question, std::int32_t lineNumber, std::int32_t place,
                          Writing writing);
// One question in the words of the subject, and its answer as the answer
// key shows it (also when the key is off).
std::vector<QuestionPart> PairedQuestionParts(Drill drill, const PairedQuestion &question,
                                              Writing writing = Writing::Parentheses);
std::string PairedAnswer(Drill drill, const PairedQuestion &question, Writing writing = Writing::Parentheses);
Expected PairedExpected(Drill drill, const PairedQuestion &question);

} // namespace oxeln
