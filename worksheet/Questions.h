#pragma once

#include "Drill.h"
#include "DrillOptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace oxeln {

// One piece of a question as the subject writes it, in the worksheet's
// writing mode: a number with the brackets and sign the mode gives it
// ("(-14)", "(+1 021)", "-14", "1 021"), an operator with its spaces (" + ",
// " : ", and " = " inside a question whose blank comes before it), the
// exponent of a power, written raised ("3"), the place the pupil fills in
// ("...") when the answer does not simply follow " = ", or a bracket of a
// group in the order of operations ("(", ")", "[", "]"; a number's own
// brackets belong to its Term). The texts of the parts, put end to end, are
// the subject's text of the question.
struct QuestionPart
{
    enum class Kind { Term, Operator, Exponent, Blank, Bracket };

    Kind kind = Kind::Term;
    std::string text; // Windows-1252 bytes, as in the documents

    bool operator==(const QuestionPart &) const = default;
};

// What a pupil must give for a question: a number, "/" where a quotient is
// not an integer, or one of the signs "<", ">", "=".
struct Expected
{
    enum class Kind { Number, NoQuotient, Relation };

    Kind kind = Kind::Number;
    std::int64_t value = 0; // Number
    char relation = 0;      // Relation: '<', '>' or '='

    bool operator==(const Expected &) const = default;
};

// A question drawn for the worksheet, kept beside its documents so that it
// can be shown on its own (projected, one at a time). A paired, missing-term
// or comparison line holds several questions, a chain or order-of-operations
// line one. It keeps the numbers drawn and the writing mode, and writes its
// texts with the drills' own words on request, so keeping it costs the
// drills no text.
//
// What each drill keeps:
// - Plus to Divide, Power: numbers[0] and [1], the first and the second
//   number (terms, factors, dividend and divisor, base and exponent).
// - S1, S2: the eight terms, and in minus which of them are subtracted.
// - MissingPlus to MissingDivide: the two operands of the whole equality
//   ("(-3) + (+8) = (+5)" keeps -3 and 8; a division its dividend and
//   divisor), and in blank the one the pupil finds (0 first, 1 second).
// - Compare: the two numbers.
// - P1, P2: up to five numbers, and in shape the operators and groups
//   (Expression.h reads them).
struct Question
{
    Drill drill = Drill::Plus;
    Writing writing = Writing::Parentheses;
    std::uint8_t blank = 0;
    std::int32_t line = 0;  // the number its line carries: 7 for "07/"
    std::int32_t place = 1; // 1 to 5 from the left on its line
    std::array<std::int32_t, 8> numbers{};
    std::array<bool, 8> minus{};
    std::uint32_t shape = 0;

    bool isChain() const { return drill == Drill::S1 || drill == Drill::S2; }
    // Projected as a chain is, on up to two lines: the order of operations is
    // as long as one, brackets and all.
    bool projectsLong() const { return isChain() || drill == Drill::P1 || drill == Drill::P2; }
    // The question in pieces, as the subject writes it before its " = ", or
    // whole when it holds a Blank: "(-3) + ... = (+5)", "(-7) ... (+3)".
    std::vector<QuestionPart> parts() const;
    // The same in the worksheet markup: "(-14) + (-8)", "(+5)<sup>3</sup>".
    std::string markup() const;
    // The highlighted text of the answer key: "(-22)", "(+125)", "(/)",
    // "-22" in the other writing modes, the missing number as written at its
    // place ("(+8)"), or the sign of a comparison ("<", ">", "=").
    std::string answer() const;
    // The same as a value, for pages that check a pupil's answer. When
    // parts() holds a Blank, the answer fills it; otherwise it follows " = ".
    Expected expected() const;

    bool operator==(const Question &) const = default;
};

// A question of two numbers at its place on its line.
Question TwoNumberQuestion(Drill drill, std::int32_t first, std::int32_t second, std::int32_t line,
                           std::int32_t place, Writing writing);

// The questions of a worksheet, in order, a thousand drills' worth kept for
// as long as the window shows them: a question of two numbers (all but the
// chains and the order of operations) takes 16 bytes instead of a
// Question's 60; any other question is kept whole. Elements are read as
// Question values.
class QuestionList
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Question;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Question;

        const_iterator() = default;
        Question operator*() const { return (*m_list)[m_index]; }
        const_iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const const_iterator &) const = default;

    private:
        friend class QuestionList;
        const_iterator(const QuestionList *list, std::size_t index) : m_list(list), m_index(index) {}
        const QuestionList *m_list = nullptr;
        std::size_t m_index = 0;
    };
    using value_type = Question;
    using iterator = const_iterator;
    using size_type = std::size_t;

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    Question operator[](std::size_t index) const;
    // As [], throwing std::out_of_range past the end.
    Question at(std::size_t index) const;
    Question back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    void push_back(const Question &question);
    void clear();
    // The bytes its elements take (capacity left aside).
    std::size_t bytes() const;

    bool operator==(const QuestionList &other) const;

private:
    struct Entry
    {
        std::int32_t line = 0;
        std::int32_t first = 0;  // the first number; for a whole question, its index in m_whole
        std::int32_t second = 0;
        std::uint8_t drill = 0;
        std::int8_t place = 0;
        bool whole = false;
        std::uint8_t style = 0; // writing mode, and the blank in bit 7
    };
    std::vector<Entry> m_entries;
    std::vector<Question> m_whole;
};

} // namespace oxeln
