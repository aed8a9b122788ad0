// The five drills on two numbers share one line routine; a table row holds
// everything that tells them apart.
#include "PairedDrills.h"

#include "Commune.h"
#include "NumberFormat.h"

#include <cstdlib>
#include <string_view>

namespace oxeln {

namespace {

enum class PairDraw { Operands, Division, Power };

struct PairedDrillKind
{
    PairDraw draw;
    std::string_view subjectMiddle; // between the two numbers
    std::string_view subjectEnd;    // after the second number
    std::string_view answerMiddle;
    std::string_view answerEnd;     // before the highlighted result
    std::int32_t (*result)(std::int32_t, std::int32_t); // none: FormatQuotient
    bool secondIsExponent;          // plain digits instead of a signed number
    std::size_t subjectWidth;
    std::size_t answerWidth;
    bool breakInsideLastCell;       // "<br>" counted in cell 4's padding
};

const PairedDrillKind &kindOf(Drill drill)
{
    static const PairedDrillKind plus{PairDraw::Operands, ") + (", ") = ", ")+(", ")=",
                                      [](std::int32_t x, std::int32_t y) { return x + y; }, false,
                                      NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind minus{PairDraw::Operands, ") - (", ") = ", ")-(", ")=",
                                       [](std::int32_t x, std::int32_t y) { return x - y; }, false,
                                       NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind mult{PairDraw::Operands, ") x (", ") = ", ")x(", ")=",
                                      [](std::int32_t x, std::int32_t y) { return x * y; }, false,
                                      NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind divide{PairDraw::Division, ") : (", ") = ", "):(", ")=",
                                        nullptr, false,
                                        NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind power{PairDraw::Power, ")<sup>", "</sup> = ", ")<sup>", "</sup> = ",
                                       [](std::int32_t b, std::int32_t e) { return PowerInt(b, e); }, true,
                                       WideWidth, WideAnswerWidth, false};
    switch (drill) {
    case Drill::Minus: return minus;
    case Drill::Mult: return mult;
    case Drill::Divide: return divide;
    case Drill::Power: return power;
    default: return plus;
    }
}

void appendResult(std::string &out, const PairedDrillKind &kind, std::int32_t first, std::int32_t second)
{
    if (kind.result)
        AppendSigned(out, kind.result(first, second));
    else
        out += FormatQuotient(first, second);
}

} // namespace

std::int32_t DrawDividend(RandomSource &random, std::int32_t divisor, std::int32_t maxValue)
{
    const auto v = static_cast<std::uint32_t>(maxValue);
    if (random.draw(8) != 0)
        return static_cast<std::int32_t>(random.draw(v)) * divisor;
    const auto t = static_cast<std::int32_t>(random.draw(10));
    const auto m = static_cast<std::int32_t>(random.draw(v));
    return (divisor + t + 1) * m;
}

std::string FormatQuotient(std::int32_t dividend, std::int32_t divisor)
{
    if (dividend % divisor != 0)
        return "/";
    return FormatSigned(dividend / divisor);
}

std::int32_t HighestExponent(std::int32_t base)
{
    const std::int32_t b = std::abs(base);
    struct Row { std::int32_t upTo; std::int32_t highest; };
    static constexpr Row rows[] = {
        {0, 58}, {1, 48}, {2, 26}, {3, 16}, {4, 13}, {5, 11}, {6, 10}, {7, 9},
        {9, 8},  {13, 7}, {21, 6}, {39, 5}, {99, 4}, {464, 3},
    };
    for (const Row &row : rows) {
        if (b <= row.upTo)
            return row.highest;
    }
    return 2;
}

std::int32_t DrawExponent(RandomSource &random, std::int32_t base)
{
    std::int32_t e = 2;
    const std::int32_t k = HighestExponent(base) - 1; // draws 2 .. highest
    if (k >= 2)
        e = 2 + static_cast<std::int32_t>(random.draw(static_cast<std::uint32_t>(k)));
    const std::uint32_t r = random.draw(41);
    if (r == 39)
        e = 0;
    else if (r == 40)
        e = 1;
    return e;
}

PairedLine DrawPairedLine(RandomSource &random, Drill drill, std::int32_t maxValue)
{
    const PairDraw how = kindOf(drill).draw;
    PairedLine line;
    for (PairedQuestion &q : line) {
        switch (how) {
        case PairDraw::Operands:
            q.first = DrawOperand(random, maxValue);
            q.second = DrawOperand(random, maxValue);
            break;
        case PairDraw::Division:
            q.second = DrawOperand(random, maxValue);
            q.first = DrawDividend(random, q.second, maxValue);
            break;
        case PairDraw::Power:
            // 0 to the power 0 is never asked; a base of 0 is otherwise allowed.
            do {
                q.first = maxValue / 2 - static_cast<std::int32_t>(random.draw(static_cast<std::uint32_t>(maxValue)));
                q.second = DrawExponent(random, q.first);
            } while (q.first == 0 && q.second == 0);
            break;
        }
    }
    return line;
}

void AppendPairedLine(Drill drill, const PairedLine &line, std::string_view prefix,
                      std::int32_t interlineCount, std::string &subject, std::string *answer)
{
    const PairedDrillKind &kind = kindOf(drill);
    auto appendSecond = [&kind](std::string &out, std::int32_t value) {
        if (kind.secondIsExponent)
            AppendDecimal(out, value);
        else
            AppendSigned(out, value);
    };

    subject += prefix;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const std::size_t start = subject.size();
        subject.push_back('(');
        AppendSigned(subject, line[k].first);
        subject += kind.subjectMiddle;
        appendSecond(subject, line[k].second);
        subject += kind.subjectEnd;
        if (k == 3 && kind.breakInsideLastCell)
            subject += "<br>";
        PadCell(subject, start, kind.subjectWidth);
    }
    if (!kind.breakInsideLastCell)
        subject += "<br>";
    AppendInterline(subject, interlineCount);

    if (!answer)
        return;
    std::string &out = *answer;
    out += prefix;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const std::size_t start = out.size();
        out.push_back('(');
        AppendSigned(out, line[k].first);
        out += kind.answerMiddle;
        appendSecond(out, line[k].second);
        out += kind.answerEnd;
        out += "<cf=jaune>(";
        appendResult(out, kind, line[k].first, line[k].second);
        out += ")<cf=auto>";
        if (k == 3 && kind.breakInsideLastCell)
            out += "<br>";
        PadCell(out, start, kind.answerWidth);
    }
    if (!kind.breakInsideLastCell)
        out += "<br>";
    AppendInterline(out, interlineCount);
}

void AppendPairedQuestions(Drill drill, const PairedLine &line, std::int32_t lineNumber, QuestionList &out)
{
    for (std::size_t k = 0; k < line.size(); ++k) {
        Question question;
        question.drill = drill;
        question.line = lineNumber;
        question.place = static_cast<std::int32_t>(k) + 1;
        question.numbers[0] = line[k].first;
        question.numbers[1] = line[k].second;
        out.push_back(question);
    }
}

std::vector<QuestionPart> PairedQuestionParts(Drill drill, const PairedQuestion &question)
{
    const PairedDrillKind &kind = kindOf(drill);
    using Kind = QuestionPart::Kind;
    std::vector<QuestionPart> parts;
    std::string first = "(";
    AppendSigned(first, question.first);
    first.push_back(')');
    parts.push_back({Kind::Term, std::move(first)});
    std::string second;
    if (kind.secondIsExponent) {
        AppendDecimal(second, question.second);
        parts.push_back({Kind::Exponent, std::move(second)});
    } else {
        // The operator between the parentheses of the subject's middle text.
        parts.push_back({Kind::Operator, std::string(kind.subjectMiddle.substr(1, kind.subjectMiddle.size() - 2))});
        second.push_back('(');
        AppendSigned(second, question.second);
        second.push_back(')');
        parts.push_back({Kind::Term, std::move(second)});
    }
    return parts;
}

std::string PairedAnswer(Drill drill, const PairedQuestion &question)
{
    std::string answer = "(";
    appendResult(answer, kindOf(drill), question.first, question.second);
    answer.push_back(')');
    return answer;
}

Expected PairedExpected(Drill drill, const PairedQuestion &question)
{
    const PairedDrillKind &kind = kindOf(drill);
    if (kind.result)
        return {Expected::Kind::Number, kind.result(question.first, question.second), 0};
    if (question.first % question.second != 0)
        return {Expected::Kind::NoQuotient, 0, 0};
    return {Expected::Kind::Number, question.first / question.second, 0};
}

} // namespace oxeln
