#pragma once

#include "LineStyle.h"
#include "OperandDraw.h"
#include "Questions.h"
#include "RandomSource.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oxeln {

// One chain of eight non-zero terms; minus[i] says that term i is
// subtracted (S2 only; minus[0] is always false).
struct ChainLine
{
    std::array<std::int32_t, 8> terms{};
    std::array<bool, 8> minus{};

    std::int32_t total() const;
};

// Draws terms 2 to 8 after the given first term; with subtractions each
// term is followed by the draw of its own operator.
ChainLine DrawChainTail(RandomSource &random, std::int32_t firstTerm, bool withSubtractions,
                        std::int32_t maxValue);
// A whole chain under the drill's options. When legacy, the first term is
// firstTerm if given (S2 draws it before the counter moves), else drawn
// first; otherwise the eight signs come first, then each term and operator.
ChainLine DrawChain(OperandDraw &draw, bool withSubtractions, std::optional<std::int32_t> firstTerm);

// Appends the chain line with " = <br>" and the interline breaks to the
// subject, and with its highlighted total to the answer when given.
void AppendChainLine(const ChainLine &line, std::string_view prefix, std::int32_t interlineCount,
                     std::string &subject, std::string *answer);
void AppendChainLine(const ChainLine &line, std::string_view prefix, const LineStyle &style,
                     std::string &subject, std::string *answer);

// The chain as one question of the drill (S1 or S2).
Question ChainQuestion(Drill drill, const ChainLine &line, std::int32_t lineNumber,
                       Writing writing = Writing::Parentheses);
// Its terms and operators in the words of the subject, and its total as the
// answer key shows it.
std::vector<QuestionPart> ChainQuestionParts(const ChainLine &line, Writing writing = Writing::Parentheses);
std::string ChainAnswer(const ChainLine &line, Writing writing = Writing::Parentheses);

} // namespace oxeln
