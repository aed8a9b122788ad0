// S1 and S2: one chain of eight signed terms per line.
#include "ChainDrills.h"

#include "NumberFormat.h"
#include "NumberWriting.h"
#include "Worksheet.h"

namespace oxeln {

namespace {

void appendChain(std::string &out, const ChainLine &line, std::string_view prefix, Writing writing)
{
    out += prefix;
    AppendLeading(out, line.terms[0], writing);
    for (std::size_t i = 1; i < line.terms.size(); ++i)
        AppendOperation(out, line.minus[i] ? '-' : '+', line.terms[i], writing, true);
}

} // namespace

std::int32_t ChainLine::total() const
{
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < terms.size(); ++i)
        sum = minus[i] ? sum - terms[i] : sum + terms[i];
    return sum;
}

ChainLine DrawChainTail(RandomSource &random, std::int32_t firstTerm, bool withSubtractions,
                        std::int32_t maxValue)
{
    ChainLine line;
    line.terms[0] = firstTerm;
    for (std::size_t i = 1; i < line.terms.size(); ++i) {
        line.terms[i] = DrawOperand(random, maxValue);
        if (withSubtractions)
            line.minus[i] = random.draw(2) == 1;
    }
    return line;
}

ChainLine DrawChain(OperandDraw &draw, bool withSubtractions, std::optional<std::int32_t> firstTerm)
{
    if (draw.legacy()) {
        const std::int32_t first = firstTerm ? *firstTerm : DrawOperand(draw.random(), draw.maxValue());
        return DrawChainTail(draw.random(), first, withSubtractions, draw.maxValue());
    }
    ChainLine line;
    const std::uint32_t negative = draw.signs(static_cast<int>(line.terms.size()));
    for (std::size_t i = 0; i < line.terms.size(); ++i) {
        const std::int32_t m = draw.magnitude();
        line.terms[i] = (negative >> i & 1u) ? -m : m;
        if (withSubtractions && i > 0)
            line.minus[i] = draw.random().draw(2) == 1;
    }
    return line;
}

void AppendChainLine(const ChainLine &line, std::string_view prefix, std::int32_t interlineCount,
                     std::string &subject, std::string *answer)
{
    AppendChainLine(line, prefix, LineStyle{Writing::Parentheses, interlineCount, interlineCount}, subject, answer);
}

void AppendChainLine(const ChainLine &line, std::string_view prefix, const LineStyle &style,
                     std::string &subject, std::string *answer)
{
    appendChain(subject, line, prefix, style.writing);
    subject += " = <br>";
    AppendInterline(subject, style.interline);
    if (!answer)
        return;
    appendChain(*answer, line, prefix, style.writing);
    *answer += " = <cf=jaune>";
    AppendResult(*answer, line.total(), style.writing);
    *answer += "<cf=auto><br>";
    AppendInterline(*answer, style.answerInterline);
}

Question ChainQuestion(Drill drill, const ChainLine &line, std::int32_t lineNumber, Writing writing)
{
    Question question;
    question.drill = drill;
    question.writing = writing;
    question.line = lineNumber;
    question.numbers = line.terms;
    question.minus = line.minus;
    return question;
}

std::vector<QuestionPart> ChainQuestionParts(const ChainLine &line, Writing writing)
{
    std::vector<QuestionPart> parts;
    parts.reserve(2 * line.terms.size() - 1);
    std::string first;
    AppendLeading(first, line.terms[0], writing);
    parts.push_back({QuestionPart::Kind::Term, std::move(first)});
    for (std::size_t i = 1; i < line.terms.size(); ++i) {
        std::string operation;
        AppendOperation(operation, line.minus[i] ? '-' : '+', line.terms[i], writing, true);
        parts.push_back({QuestionPart::Kind::Operator, operation.substr(0, 3)});
        parts.push_back({QuestionPart::Kind::Term, operation.substr(3)});
    }
    return parts;
}

std::string ChainAnswer(const ChainLine &line, Writing writing)
{
    std::string answer;
    AppendResult(answer, line.total(), writing);
    return answer;
}

} // namespace oxeln
