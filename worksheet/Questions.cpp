#include "Questions.h"

#include "BlankDrills.h"
#include "ChainDrills.h"
#include "Expression.h"
#include "PairedDrills.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

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

Question TwoNumberQuestion(Drill drill, std::int32_t first, std::int32_t second, std::int32_t line,
                           std::int32_t place, Writing writing)
{
    Question question;
    question.drill = drill;
    question.writing = writing;
    question.line = line;
    question.place = place;
    question.numbers[0] = first;
    question.numbers[1] = second;
    return question;
}

std::vector<QuestionPart> Question::parts() const
{
    switch (drill) {
    case Drill::S1:
    case Drill::S2: return ChainQuestionParts(chainOf(*this), writing);
    case Drill::MissingPlus:
    case Drill::MissingMinus:
    case Drill::MissingMult:
    case Drill::MissingDivide: return MissingTermParts(*this);
    case Drill::P1:
    case Drill::P2: return ExpressionParts(*this);
    case Drill::Compare: return ComparisonParts(*this);
    default: return PairedQuestionParts(drill, pairOf(*this), writing);
    }
}

std::string Question::answer() const
{
    switch (drill) {
    case Drill::S1:
    case Drill::S2: return ChainAnswer(chainOf(*this), writing);
    case Drill::MissingPlus:
    case Drill::MissingMinus:
    case Drill::MissingMult:
    case Drill::MissingDivide: return MissingTermAnswer(*this);
    case Drill::P1:
    case Drill::P2: return ExpressionAnswer(*this);
    case Drill::Compare: return std::string(1, ComparisonSign(*this));
    default: return PairedAnswer(drill, pairOf(*this), writing);
    }
}

Expected Question::expected() const
{
    switch (drill) {
    case Drill::S1:
    case Drill::S2: return {Expected::Kind::Number, chainOf(*this).total(), 0};
    case Drill::MissingPlus:
    case Drill::MissingMinus:
    case Drill::MissingMult:
    case Drill::MissingDivide: return MissingTermExpected(*this);
    case Drill::P1:
    case Drill::P2: return ExpressionExpected(*this);
    case Drill::Compare: return {Expected::Kind::Relation, 0, ComparisonSign(*this)};
    default: return PairedExpected(drill, pairOf(*this));
    }
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

Question QuestionList::operator[](std::size_t index) const
{
    const Entry &entry = m_entries[index];
    if (entry.whole)
        return m_whole[static_cast<std::size_t>(entry.first)];
    Question question;
    question.drill = static_cast<Drill>(entry.drill);
    question.line = entry.line;
    question.place = entry.place;
    question.numbers[0] = entry.first;
    question.numbers[1] = entry.second;
    question.writing = static_cast<Writing>(entry.style & 0x7Fu);
    question.blank = static_cast<std::uint8_t>(entry.style >> 7);
    return question;
}

Question QuestionList::at(std::size_t index) const
{
    if (index >= size())
        throw std::out_of_range("QuestionList::at");
    return (*this)[index];
}

void QuestionList::push_back(const Question &question)
{
    const auto zero = [](auto value) { return !value; };
    const bool twoNumbers = std::all_of(question.numbers.begin() + 2, question.numbers.end(), zero)
        && std::all_of(question.minus.begin(), question.minus.end(), zero) && question.shape == 0
        && question.blank <= 1 && static_cast<unsigned>(question.writing) < 0x80u
        && question.place >= std::numeric_limits<std::int8_t>::min()
        && question.place <= std::numeric_limits<std::int8_t>::max();
    Entry entry;
    entry.line = question.line;
    entry.drill = static_cast<std::uint8_t>(question.drill);
    if (twoNumbers) {
        entry.place = static_cast<std::int8_t>(question.place);
        entry.first = question.numbers[0];
        entry.second = question.numbers[1];
        entry.style = static_cast<std::uint8_t>(static_cast<unsigned>(question.writing) | question.blank << 7);
    } else {
        entry.whole = true;
        entry.first = static_cast<std::int32_t>(m_whole.size());
        m_whole.push_back(question);
    }
    m_entries.push_back(entry);
}

void QuestionList::clear()
{
    m_entries.clear();
    m_whole.clear();
}

std::size_t QuestionList::bytes() const
{
    return m_entries.size() * sizeof(Entry) + m_whole.size() * sizeof(Question);
}

bool QuestionList::operator==(const QuestionList &other) const
{
    return size() == other.size() && std::equal(begin(), end(), other.begin());
}

} // namespace oxeln
