// The five drills on two numbers share one line routine; a table row holds
// everything that tells them apart.
#include "PairedDrills.h"

#include "Commune.h"
#include "NumberFormat.h"
#include "NumberWriting.h"

#include <cstdlib>
#include <string_view>

namespace oxeln {

namespace {

enum class PairDraw { Operands, Division, Power };

struct PairedDrillKind
{
    PairDraw draw;
    char op;                        // '+', '-', 'x', ':'; none for powers
    std::int32_t (*result)(std::int32_t, std::int32_t); // none: the quotient
    std::size_t subjectWidth;
    std::size_t answerWidth;
    bool breakInsideLastCell;       // "<br>" counted in cell 4's padding
};

const PairedDrillKind &kindOf(Drill drill)
{
    static const PairedDrillKind plus{PairDraw::Operands, '+', [](std::int32_t x, std::int32_t y) { return x + y; },
                                      NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind minus{PairDraw::Operands, '-', [](std::int32_t x, std::int32_t y) { return x - y; },
                                       NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind mult{PairDraw::Operands, 'x', [](std::int32_t x, std::int32_t y) { return x * y; },
                                      NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind divide{PairDraw::Division, ':', nullptr, NarrowWidth, NarrowAnswerWidth, true};
    static const PairedDrillKind power{PairDraw::Power, 0, [](std::int32_t b, std::int32_t e) { return PowerInt(b, e); },
                                       WideWidth, WideAnswerWidth, false};
    switch (drill) {
    case Drill::Minus: return minus;
    case Drill::Mult: return mult;
    case Drill::Divide: return divide;
    case Drill::Power: return power;
    default: return plus;
    }
}

// The question before its " = ": "(+3) + (-4)", "(-2)<sup>3</sup>"; the keys
// write the operator without its spaces.
void appendQuestion(std::string &out, const PairedDrillKind &kind, const PairedQuestion &q, Writing writing,
                    bool spaced)
{
    if (kind.draw == PairDraw::Power) {
        AppendFactor(out, q.first, writing);
        out += "<sup>";
        AppendDecimal(out, q.second);
        out += "</sup>";
        return;
    }
    AppendLeading(out, q.first, writing);
    AppendOperation(out, kind.op, q.second, writing, spaced);
}

void appendResult(std::string &out, const PairedDrillKind &kind, const PairedQuestion &q, Writing writing)
{
    if (kind.result)
        AppendResult(out, kind.result(q.first, q.second), writing);
    else if (q.first % q.second != 0)
        out += writing == Writing::Parentheses ? "(/)" : "/";
    else
        AppendResult(out, q.first / q.second, writing);
}

// The base of a power under the options: its absolute value from the
// smallest value to the largest base (else the operands' bound), never 0.
std::int32_t drawBase(OperandDraw &draw)
{
    const DrillOptions &o = draw.options();
    const std::int32_t high = o.largestBase > 0 ? o.largestBase : draw.high();
    const std::int32_t low = std::min(draw.low(), high);
    const bool negative = draw.signs(1) != 0;
    const std::int32_t m = draw.between(low, high);
    return negative ? -m : m;
}

PairedQuestion drawDivision(OperandDraw &draw)
{
    if (draw.legacy() && !draw.options().exactDivisions) {
        PairedQuestion q;
        q.second = DrawOperand(draw.random(), draw.maxValue());
        q.first = DrawDividend(draw.random(), q.second, draw.maxValue());
        return q;
    }
    // Divisor and quotient within the bounds, dividend their product; one
    // time in eight, unless exact divisions are asked, a remainder is added.
    const std::uint32_t negative = draw.signs(2);
    const std::int32_t divisor = draw.magnitude();
    std::int32_t dividend = draw.magnitude() * divisor;
    if (!draw.options().exactDivisions && draw.random().draw(8) == 0 && divisor > 1)
        dividend += draw.between(1, divisor - 1);
    return {negative & 1u ? -dividend : dividend, negative & 2u ? -divisor : divisor};
}

PairedQuestion drawPower(OperandDraw &draw)
{
    const DrillOptions &o = draw.options();
    const bool legacyBase = draw.legacy() && o.largestBase == 0;
    PairedQuestion q;
    // 0 to the power 0 is never asked; a base of 0 is otherwise allowed.
    do {
        if (legacyBase)
            q.first = draw.maxValue() / 2 - static_cast<std::int32_t>(draw.random().draw(static_cast<std::uint32_t>(draw.maxValue())));
        else
            q.first = drawBase(draw);
        q.second = o.largestExponent > 0 ? DrawLimitedExponent(draw.random(), q.first, o.largestExponent)
                                         : DrawExponent(draw.random(), q.first);
    } while (q.first == 0 && q.second == 0);
    return q;
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
    return DrawLimitedExponent(random, base, HighestExponent(0));
}

std::int32_t DrawLimitedExponent(RandomSource &random, std::int32_t base, std::int32_t largest)
{
    const std::int32_t highest = std::min(HighestExponent(base), std::max<std::int32_t>(largest, 1));
    std::int32_t e = highest; // 2 when no draw is made
    if (highest > 2) // draws 2 .. highest
        e = 2 + static_cast<std::int32_t>(random.draw(static_cast<std::uint32_t>(highest - 1)));
    const std::uint32_t r = random.draw(41);
    if (r == 39)
        e = 0;
    else if (r == 40)
        e = 1;
    return e;
}

PairedQuestion DrawPairedQuestion(OperandDraw &draw, Drill drill)
{
    switch (kindOf(drill).draw) {
    case PairDraw::Division:
        return drawDivision(draw);
    case PairDraw::Power:
        return drawPower(draw);
    case PairDraw::Operands:
        break;
    }
    std::int32_t operands[2];
    draw.operands(operands);
    return {operands[0], operands[1]};
}

PairedLine DrawPairedLine(RandomSource &random, Drill drill, std::int32_t maxValue)
{
    OperandDraw draw(random, maxValue, DrillOptions{});
    PairedLine line;
    for (PairedQuestion &q : line)
        q = DrawPairedQuestion(draw, drill);
    return line;
}

void AppendPairedLine(Drill drill, const PairedLine &line, std::string_view prefix,
                      std::int32_t interlineCount, std::string &subject, std::string *answer)
{
    AppendPairedLine(drill, line, prefix, LineStyle{Writing::Parentheses, interlineCount, interlineCount}, subject,
                     answer);
}

void AppendPairedLine(Drill drill, const PairedLine &line, std::string_view prefix, const LineStyle &style,
                      std::string &subject, std::string *answer)
{
    const PairedDrillKind &kind = kindOf(drill);
    const Writing writing = style.writing;

    subject += prefix;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const std::size_t start = subject.size();
        appendQuestion(subject, kind, line[k], writing, true);
        subject += " = ";
        if (k == 3 && kind.breakInsideLastCell)
            subject += "<br>";
        PadCell(subject, start, kind.subjectWidth);
    }
    if (!kind.breakInsideLastCell)
        subject += "<br>";
    AppendInterline(subject, style.interline);

    if (!answer)
        return;
    std::string &out = *answer;
    out += prefix;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const std::size_t start = out.size();
        appendQuestion(out, kind, line[k], writing, false);
        // Powers keep the subject's spaces around "=".
        out += kind.draw == PairDraw::Power ? " = <cf=jaune>" : "=<cf=jaune>";
        appendResult(out, kind, line[k], writing);
        out += "<cf=auto>";
        if (k == 3 && kind.breakInsideLastCell) {
            out += "<br>";
            // Without a blank line to hold them, the spaces would indent the
            // next line.
            if (style.answerInterline == 0)
                continue;
        }
        PadCell(out, start, kind.answerWidth);
    }
    if (!kind.breakInsideLastCell)
        out += "<br>";
    AppendInterline(out, style.answerInterline);
}

Question PairedQuestionOf(Drill drill, const PairedQuestion &pair, std::int32_t lineNumber, std::int32_t place,
                          Writing writing)
{
    return TwoNumberQuestion(drill, pair.first, pair.second, lineNumber, place, writing);
}

void AppendPairedQuestions(Drill drill, const PairedLine &line, std::int32_t lineNumber, QuestionList &out,
                           Writing writing)
{
    for (std::size_t k = 0; k < line.size(); ++k)
        out.push_back(PairedQuestionOf(drill, line[k], lineNumber, static_cast<std::int32_t>(k) + 1, writing));
}

std::vector<QuestionPart> PairedQuestionParts(Drill drill, const PairedQuestion &question, Writing writing)
{
    const PairedDrillKind &kind = kindOf(drill);
    using Kind = QuestionPart::Kind;
    std::vector<QuestionPart> parts;
    std::string first;
    if (kind.draw == PairDraw::Power) {
        AppendFactor(first, question.first, writing);
        parts.push_back({Kind::Term, std::move(first)});
        std::string exponent;
        AppendDecimal(exponent, question.second);
        parts.push_back({Kind::Exponent, std::move(exponent)});
        return parts;
    }
    AppendLeading(first, question.first, writing);
    parts.push_back({Kind::Term, std::move(first)});
    std::string operation;
    AppendOperation(operation, kind.op, question.second, writing, true);
    // " + " and the number after it.
    parts.push_back({Kind::Operator, operation.substr(0, 3)});
    parts.push_back({Kind::Term, operation.substr(3)});
    return parts;
}

std::string PairedAnswer(Drill drill, const PairedQuestion &question, Writing writing)
{
    std::string answer;
    appendResult(answer, kindOf(drill), question, writing);
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
