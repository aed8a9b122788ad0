#pragma once

#include "LineStyle.h"
#include "OperandDraw.h"
#include "Questions.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The drills whose pupil fills a place in the middle of the question: the
// missing term ("(-3) + ... = (+5)"), four to a line in the columns of the
// paired drills, and the comparison ("(-7) ... (+3)"), five to a line.
namespace oxeln {

// A whole equality "first op second = result" and the operand left blank.
// A division keeps dividend and divisor, its quotient always exact.
struct MissingTerm
{
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::uint8_t blank = 0; // 0: first, 1: second
};
inline constexpr std::size_t MissingTermsPerLine = 4;
using MissingTermLine = std::array<MissingTerm, MissingTermsPerLine>;

// Signs of both operands, then their absolute values (a division: the
// divisor's, then the quotient's), then the blank.
MissingTerm DrawMissingTerm(OperandDraw &draw, Drill drill);
// The subject's line and, when answer is given, the key's: the equality
// with the missing number highlighted.
void AppendMissingTermLine(Drill drill, const MissingTermLine &line, std::string_view prefix, const LineStyle &style,
                           std::string &subject, std::string *answer);
Question MissingTermQuestion(Drill drill, const MissingTerm &term, std::int32_t lineNumber, std::int32_t place,
                             Writing writing);
std::vector<QuestionPart> MissingTermParts(const Question &question);
std::string MissingTermAnswer(const Question &question);
Expected MissingTermExpected(const Question &question);

struct Comparison
{
    std::int32_t first = 0;
    std::int32_t second = 0;
};
inline constexpr std::size_t ComparisonsPerLine = 5;
using ComparisonLine = std::array<Comparison, ComparisonsPerLine>;

// Signs of both, the first absolute value, then one time in eight the same
// absolute value again (equal or opposite numbers), else a second draw.
Comparison DrawComparison(OperandDraw &draw);
void AppendComparisonLine(const ComparisonLine &line, std::string_view prefix, const LineStyle &style,
                          std::string &subject, std::string *answer);
Question ComparisonQuestion(const Comparison &comparison, std::int32_t lineNumber, std::int32_t place,
                            Writing writing);
std::vector<QuestionPart> ComparisonParts(const Question &question);
// '<', '>' or '='.
char ComparisonSign(const Question &question);

} // namespace oxeln
