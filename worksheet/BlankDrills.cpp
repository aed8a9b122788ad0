#include "BlankDrills.h"

#include "NumberWriting.h"
#include "Worksheet.h"

namespace oxeln {

namespace {

// Cells of the missing terms take the room of the paired drills' cells; a
// comparison's cell holds "(-999) ... (-999)" and two spaces.
constexpr std::size_t MissingTermWidth = 26;
constexpr std::size_t ComparisonWidth = 19;

constexpr std::string_view Dots = "...";
constexpr std::string_view ComparisonDots = " ... ";

char operatorOf(Drill drill)
{
    switch (drill) {
    case Drill::MissingMinus: return '-';
    case Drill::MissingMult: return 'x';
    case Drill::MissingDivide: return ':';
    default: return '+';
    }
}

std::int32_t resultOf(char op, const MissingTerm &t)
{
    switch (op) {
    case '-': return t.first - t.second;
    case 'x': return t.first * t.second;
    case ':': return t.first / t.second;
    default: return t.first + t.second;
    }
}

MissingTerm termOf(const Question &q) { return {q.numbers[0], q.numbers[1], q.blank}; }

// The equality with its blank: as the subject asks it (highlight null), or
// as the key answers it, the missing number between the highlight tags.
void appendEquality(std::string &out, char op, const MissingTerm &t, Writing writing, bool spaced,
                    const std::string_view *highlight)
{
    if (t.blank == 0) {
        if (highlight) {
            out += highlight[0];
            AppendLeading(out, t.first, writing);
            out += highlight[1];
        } else {
            out += Dots;
        }
        AppendOperation(out, op, t.second, writing, spaced);
    } else {
        AppendLeading(out, t.first, writing);
        // The sign of a missing number cannot merge with the operator shown.
        out += OperatorText(op, spaced);
        if (highlight) {
            out += highlight[0];
            AppendFactor(out, t.second, writing);
            out += highlight[1];
        } else {
            out += Dots;
        }
    }
    out += spaced ? " = " : "=";
    AppendResult(out, resultOf(op, t), writing);
}

constexpr std::string_view Highlight[2] = {"<cf=jaune>", "<cf=auto>"};

// Cells padded to their room on the page, the last one ended by the line's
// break; then the interline breaks.
template <typename Line, typename Cell>
void appendCells(std::string &out, std::string_view prefix, const Line &line, std::size_t width,
                 std::int32_t interline, Cell cell)
{
    out += prefix;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const std::size_t start = out.size();
        cell(out, line[k]);
        if (k + 1 < line.size())
            PadVisible(out, start, width);
    }
    out += "<br>";
    AppendInterline(out, interline);
}

void appendSign(std::string &out, char sign)
{
    if (sign == '<')
        out += LessThanMarkup;
    else
        out.push_back(sign);
}

char signOf(std::int32_t a, std::int32_t b) { return a < b ? '<' : a > b ? '>' : '='; }

} // namespace

MissingTerm DrawMissingTerm(OperandDraw &draw, Drill drill)
{
    MissingTerm t;
    if (drill == Drill::MissingDivide) {
        const std::uint32_t negative = draw.signs(2);
        const std::int32_t divisor = draw.magnitude();
        const std::int32_t dividend = draw.magnitude() * divisor;
        t.first = negative & 1u ? -dividend : dividend;
        t.second = negative & 2u ? -divisor : divisor;
    } else {
        std::int32_t operands[2];
        draw.mixed(operands);
        t.first = operands[0];
        t.second = operands[1];
    }
    t.blank = static_cast<std::uint8_t>(draw.random().draw(2));
    return t;
}

void AppendMissingTermLine(Drill drill, const MissingTermLine &line, std::string_view prefix, const LineStyle &style,
                           std::string &subject, std::string *answer)
{
    const char op = operatorOf(drill);
    appendCells(subject, prefix, line, MissingTermWidth, style.interline, [&](std::string &out, const MissingTerm &t) {
        appendEquality(out, op, t, style.writing, true, nullptr);
    });
    if (answer) {
        appendCells(*answer, prefix, line, MissingTermWidth, style.answerInterline,
                    [&](std::string &out, const MissingTerm &t) {
                        appendEquality(out, op, t, style.writing, false, Highlight);
                    });
    }
}

Question MissingTermQuestion(Drill drill, const MissingTerm &term, std::int32_t lineNumber, std::int32_t place,
                             Writing writing)
{
    Question q = TwoNumberQuestion(drill, term.first, term.second, lineNumber, place, writing);
    q.blank = term.blank;
    return q;
}

std::vector<QuestionPart> MissingTermParts(const Question &question)
{
    using Kind = QuestionPart::Kind;
    const MissingTerm t = termOf(question);
    const char op = operatorOf(question.drill);
    const Writing writing = question.writing;
    std::vector<QuestionPart> parts;
    if (t.blank == 0) {
        parts.push_back({Kind::Blank, std::string(Dots)});
        std::string operation;
        AppendOperation(operation, op, t.second, writing, true);
        parts.push_back({Kind::Operator, operation.substr(0, 3)});
        parts.push_back({Kind::Term, operation.substr(3)});
    } else {
        std::string first;
        AppendLeading(first, t.first, writing);
        parts.push_back({Kind::Term, std::move(first)});
        parts.push_back({Kind::Operator, std::string(OperatorText(op, true))});
        parts.push_back({Kind::Blank, std::string(Dots)});
    }
    parts.push_back({Kind::Operator, " = "});
    std::string result;
    AppendResult(result, resultOf(op, t), writing);
    parts.push_back({Kind::Term, std::move(result)});
    return parts;
}

std::string MissingTermAnswer(const Question &question)
{
    const MissingTerm t = termOf(question);
    std::string out;
    if (t.blank == 0)
        AppendLeading(out, t.first, question.writing);
    else
        AppendFactor(out, t.second, question.writing);
    return out;
}

Expected MissingTermExpected(const Question &question)
{
    const MissingTerm t = termOf(question);
    return {Expected::Kind::Number, t.blank == 0 ? t.first : t.second, 0};
}

Comparison DrawComparison(OperandDraw &draw)
{
    const std::uint32_t negative = draw.signs(2);
    const std::int32_t first = draw.magnitude();
    const std::int32_t second = draw.random().draw(8) == 0 ? first : draw.magnitude();
    return {negative & 1u ? -first : first, negative & 2u ? -second : second};
}

void AppendComparisonLine(const ComparisonLine &line, std::string_view prefix, const LineStyle &style,
                          std::string &subject, std::string *answer)
{
    const Writing writing = style.writing;
    appendCells(subject, prefix, line, ComparisonWidth, style.interline, [&](std::string &out, const Comparison &c) {
        AppendLeading(out, c.first, writing);
        out += ComparisonDots;
        AppendLeading(out, c.second, writing);
    });
    if (!answer)
        return;
    appendCells(*answer, prefix, line, ComparisonWidth, style.answerInterline,
                [&](std::string &out, const Comparison &c) {
                    AppendLeading(out, c.first, writing);
                    out += " <cf=jaune>";
                    appendSign(out, signOf(c.first, c.second));
                    out += "<cf=auto> ";
                    AppendLeading(out, c.second, writing);
                });
}

Question ComparisonQuestion(const Comparison &comparison, std::int32_t lineNumber, std::int32_t place,
                            Writing writing)
{
    return TwoNumberQuestion(Drill::Compare, comparison.first, comparison.second, lineNumber, place, writing);
}

std::vector<QuestionPart> ComparisonParts(const Question &question)
{
    std::string first;
    std::string second;
    AppendLeading(first, question.numbers[0], question.writing);
    AppendLeading(second, question.numbers[1], question.writing);
    return {{QuestionPart::Kind::Term, std::move(first)},
            {QuestionPart::Kind::Blank, std::string(ComparisonDots)},
            {QuestionPart::Kind::Term, std::move(second)}};
}

char ComparisonSign(const Question &question) { return signOf(question.numbers[0], question.numbers[1]); }

} // namespace oxeln
