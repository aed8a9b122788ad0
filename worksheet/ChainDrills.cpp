// S1 and S2: one chain of eight signed terms per line.
#include "ChainDrills.h"

#include "NumberFormat.h"
#include "Worksheet.h"

namespace oxeln {

namespace {

void appendChain(std::string &out, const ChainLine &line, std::string_view prefix)
{
    out += prefix;
    for (std::size_t i = 0; i < line.terms.size(); ++i) {
        if (i > 0)
            out += line.minus[i] ? " - " : " + ";
        out.push_back('(');
        AppendSigned(out, line.terms[i]);
        out.push_back(')');
    }
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

void AppendChainLine(const ChainLine &line, std::string_view prefix, std::int32_t interlineCount,
                     std::string &subject, std::string *answer)
{
    appendChain(subject, line, prefix);
    subject += " = <br>";
    AppendInterline(subject, interlineCount);
    if (!answer)
        return;
    appendChain(*answer, line, prefix);
    *answer += " = <cf=jaune>(";
    AppendSigned(*answer, line.total());
    *answer += ")<cf=auto><br>";
    AppendInterline(*answer, interlineCount);
}

Question ChainQuestion(Drill drill, const ChainLine &line, std::int32_t lineNumber)
{
    Question question;
    question.drill = drill;
    question.line = lineNumber;
    question.numbers = line.terms;
    question.minus = line.minus;
    return question;
}

std::vector<QuestionPart> ChainQuestionParts(const ChainLine &line)
{
    std::vector<QuestionPart> parts;
    parts.reserve(2 * line.terms.size() - 1);
    for (std::size_t i = 0; i < line.terms.size(); ++i) {
        if (i > 0)
            parts.push_back({QuestionPart::Kind::Operator, line.minus[i] ? " - " : " + "});
        std::string term = "(";
        AppendSigned(term, line.terms[i]);
        term.push_back(')');
        parts.push_back({QuestionPart::Kind::Term, std::move(term)});
    }
    return parts;
}

std::string ChainAnswer(const ChainLine &line)
{
    std::string answer;
    answer.push_back('(');
    AppendSigned(answer, line.total());
    answer.push_back(')');
    return answer;
}

} // namespace oxeln
