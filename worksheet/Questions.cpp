#include "Questions.h"

#include "ChainDrills.h"
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

std::vector<QuestionPart> Question::parts() const
{
    return isChain() ? ChainQuestionParts(chainOf(*this)) : PairedQuestionParts(drill, pairOf(*this));
}

std::string Question::answer() const
{
    return isChain() ? ChainAnswer(chainOf(*this)) : PairedAnswer(drill, pairOf(*this));
}

Expected Question::expected() const
{
    return isChain() ? Expected{Expected::Kind::Number, chainOf(*this).total(), 0}
                     : PairedExpected(drill, pairOf(*this));
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
        && std::all_of(question.minus.begin(), question.minus.end(), zero)
        && question.place >= std::numeric_limits<std::int8_t>::min()
        && question.place <= std::numeric_limits<std::int8_t>::max();
    Entry entry;
    entry.line = question.line;
    entry.drill = static_cast<std::uint8_t>(question.drill);
    if (twoNumbers) {
        entry.place = static_cast<std::int8_t>(question.place);
        entry.first = question.numbers[0];
        entry.second = question.numbers[1];
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
