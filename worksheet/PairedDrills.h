#pragma once

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

// Appends the subject line (prefix, four padded cells, interline breaks) and,
// when answer is given, the answer line. drill must be one of the five
// paired drills.
void AppendPairedLine(Drill drill, const PairedLine &line, std::string_view prefix,
                      std::int32_t interlineCount, std::string &subject, std::string *answer);

// Appends the line's four questions to out.
void AppendPairedQuestions(Drill drill, const PairedLine &line, std::int32_t lineNumber, QuestionList &out);
// One question in the words of the subject, and its answer as the answer
// key shows it (also when the key is off).
std::vector<QuestionPart> PairedQuestionParts(Drill drill, const PairedQuestion &question);
std::string PairedAnswer(Drill drill, const PairedQuestion &question);
Expected PairedExpected(Drill drill, const PairedQuestion &question);

} // namespace oxeln
