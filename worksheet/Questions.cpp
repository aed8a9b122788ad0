#include "Questions.h"

#include "ChainDrills.h"
#include "PairedDrills.h"

namespace oxeln {

namespace {

ChainLine chainOf(const Question &question)
{
    ChainLine line;
    line.terms = question.numbers;
    line.minus = question.minus;
    return line;
}

PairedQuestion pairOf(const Question &question)
{
    return {question.numbers[0], question.numbers[1]};
}

} // namespace

std::vector<QuestionPart> Question::parts() const
{
    return isChain() ? ChainQuestionParts(chainOf(*this)) : PairedQuestionParts(drill, pairOf(*this));
}

std::string Question::answer() const
{
    return isChain() ? ChainAnswer(chainOf(*this)) : PairedAnswer(drill, pairOf(*this));
}

std::string Question::markup() const
{
    std::string out;
    for (const QuestionPart &part : parts()) {
        if (part.kind == QuestionPart::Kind::Exponent) {
            out += "<sup>";
            out += part.text;
            out += "</sup>";
        } else {
            out += part.text;
        }
    }
    return out;
}

} // namespace oxeln
