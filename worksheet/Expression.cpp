#include "Expression.h"

#include "NumberWriting.h"
#include "Worksheet.h"

#include <algorithm>
#include <cstdlib>

namespace oxeln {

namespace {

constexpr std::string_view OpChars = "+-x:";

struct Token
{
    enum class Type : std::uint8_t { Number, Op, Open, Close };
    Type type = Type::Number;
    char op = 0;
    std::uint8_t index = 0; // Number
    bool square = false;    // Open, Close
};

// The expression read left to right: outer groups open before inner ones
// and close after them.
struct Tokens
{
    std::array<Token, 16> items{};
    std::size_t size = 0;

    explicit Tokens(const Expression &e)
    {
        for (std::uint8_t i = 0; i < e.count; ++i) {
            for (int g = e.groupCount - 1; g >= 0; --g) {
                if (e.groups[static_cast<std::size_t>(g)].first == i)
                    items[size++] = {Token::Type::Open, 0, 0, e.groups[static_cast<std::size_t>(g)].square};
            }
            items[size++] = {Token::Type::Number, 0, i, false};
            for (int g = 0; g < e.groupCount; ++g) {
                if (e.groups[static_cast<std::size_t>(g)].last == i)
                    items[size++] = {Token::Type::Close, 0, 0, e.groups[static_cast<std::size_t>(g)].square};
            }
            if (i + 1 < e.count)
                items[size++] = {Token::Type::Op, e.ops[i], 0, false};
        }
    }
};

// Recursive descent with the usual priorities. With a draw, the divisor
// that follows a ":" is chosen among the divisors of the value on its left,
// which is how the divisions come out exact.
class Evaluator
{
public:
    Evaluator(Expression &expression, std::int64_t bound, OperandDraw *repair)
        : m_e(expression), m_tokens(expression), m_bound(bound), m_repair(repair)
    {
    }

    std::optional<std::int64_t> run()
    {
        const std::optional<std::int64_t> v = sum();
        if (m_failed || m_pos != m_tokens.size)
            return std::nullopt;
        return v;
    }

private:
    const Token *peek() const { return m_pos < m_tokens.size ? &m_tokens.items[m_pos] : nullptr; }
    bool peekOp(char a, char b) const
    {
        const Token *t = peek();
        return t && t->type == Token::Type::Op && (t->op == a || t->op == b);
    }
    std::int64_t checked(std::int64_t v)
    {
        if (v > m_bound || v < -m_bound)
            m_failed = true;
        return v;
    }

    std::int64_t sum()
    {
        std::int64_t v = product();
        while (!m_failed && peekOp('+', '-')) {
            const char op = m_tokens.items[m_pos++].op;
            const std::int64_t r = product();
            v = checked(op == '+' ? v + r : v - r);
        }
        return v;
    }

    std::int64_t product()
    {
        std::int64_t v = factor();
        while (!m_failed && peekOp('x', ':')) {
            const char op = m_tokens.items[m_pos++].op;
            if (op == ':' && m_repair && peek() && peek()->type == Token::Type::Number)
                chooseDivisor(v, peek()->index);
            const std::int64_t r = factor();
            if (op == 'x') {
                v = checked(v * r);
            } else if (r == 0 || v % r != 0) {
                m_failed = true;
            } else {
                v = checked(v / r);
            }
        }
        return v;
    }

    std::int64_t factor()
    {
        const Token *t = peek();
        if (!t) {
            m_failed = true;
            return 0;
        }
        ++m_pos;
        if (t->type == Token::Type::Number)
            return m_e.numbers[t->index];
        if (t->type != Token::Type::Open) {
            m_failed = true;
            return 0;
        }
        const std::int64_t v = sum();
        if (!peek() || peek()->type != Token::Type::Close)
            m_failed = true;
        else
            ++m_pos;
        return v;
    }

    // A divisor of |left| within the operands' bounds, 1 only when no other
    // is; the divisor keeps its drawn sign.
    void chooseDivisor(std::int64_t left, std::uint8_t index)
    {
        const std::int64_t a = std::llabs(left);
        if (a == 0)
            return;
        std::array<std::int32_t, 512> found{}; // values below 10^6 have at most 240 divisors
        std::size_t n = 0;
        const std::int64_t low = std::max<std::int32_t>(m_repair->low(), 2);
        const std::int64_t high = m_repair->high();
        const auto keep = [&](std::int64_t c) {
            if (c >= low && c <= high && n < found.size())
                found[n++] = static_cast<std::int32_t>(c);
        };
        for (std::int64_t d = 1; d * d <= a && d <= high; ++d) {
            if (a % d != 0)
                continue;
            keep(d);
            if (d * d != a)
                keep(a / d);
        }
        std::int32_t divisor = 1;
        if (n > 0)
            divisor = found[m_repair->random().draw(static_cast<std::uint32_t>(n))];
        else if (m_repair->low() > 1)
            m_failed = true; // no divisor within the bounds
        std::int32_t &number = m_e.numbers[index];
        number = number < 0 ? -divisor : divisor;
    }

    Expression &m_e;
    Tokens m_tokens;
    std::size_t m_pos = 0;
    std::int64_t m_bound;
    OperandDraw *m_repair;
    bool m_failed = false;
};

std::int64_t boundFor(std::int32_t maxValue)
{
    const std::int64_t v = maxValue;
    return std::max(v * v, 5 * v);
}

char drawOp(RandomSource &random) { return OpChars[random.draw(4)]; }

void drawShape(Expression &e, RandomSource &random, Drill drill)
{
    struct Span { std::uint8_t first, last, innerFirst, innerLast; };
    std::array<Span, 32> spans{};
    std::size_t n = 0;
    const std::uint8_t c = e.count;
    for (std::uint8_t f = 0; f < c; ++f) {
        for (std::uint8_t l = static_cast<std::uint8_t>(f + 1); l < c; ++l) {
            if (f == 0 && l == c - 1)
                continue; // a group around everything changes nothing
            if (drill == Drill::P1) {
                spans[n++] = {f, l, 0, 0};
                continue;
            }
            if (l - f < 2)
                continue;
            for (std::uint8_t i = f; i < l; ++i) {
                for (std::uint8_t j = static_cast<std::uint8_t>(i + 1); j <= l; ++j) {
                    if (i != f || j != l)
                        spans[n++] = {f, l, i, j};
                }
            }
        }
    }
    // P1: a group three times in four.
    if (drill == Drill::P1 && random.draw(4) == 0)
        return;
    const Span s = spans[random.draw(static_cast<std::uint32_t>(n))];
    if (drill == Drill::P1) {
        e.groupCount = 1;
        e.groups[0] = {s.first, s.last, false};
    } else {
        e.groupCount = 2;
        e.groups[0] = {s.innerFirst, s.innerLast, false};
        e.groups[1] = {s.first, s.last, true};
    }
    // Brackets that matter: a sum or difference inside the innermost group,
    // a product or quotient against the outermost one.
    const Expression::Group inner = e.groups[0];
    const bool additive = std::any_of(e.ops.begin() + inner.first, e.ops.begin() + inner.last,
                                      [](char op) { return op == '+' || op == '-'; });
    if (!additive)
        e.ops[inner.first + random.draw(static_cast<std::uint32_t>(inner.last - inner.first))] =
            random.draw(2) ? '-' : '+';
    const Expression::Group outer = e.groups[e.groupCount - 1];
    if (outer.first > 0) {
        char &before = e.ops[outer.first - 1u];
        if (before == '+')
            before = 'x';
    } else {
        char &after = e.ops[outer.last];
        if (after == '+' || after == '-')
            after = random.draw(2) ? ':' : 'x';
    }
}

template <typename Emit>
void walk(const Expression &e, Writing writing, Emit emit)
{
    const Tokens tokens(e);
    char pending = 0;
    for (std::size_t k = 0; k < tokens.size; ++k) {
        const Token &t = tokens.items[k];
        switch (t.type) {
        case Token::Type::Op:
            pending = t.op;
            break;
        case Token::Type::Open:
            if (pending)
                emit(QuestionPart::Kind::Operator, std::string(OperatorText(pending, true)));
            pending = 0;
            emit(QuestionPart::Kind::Bracket, std::string(t.square ? "[" : "("));
            break;
        case Token::Type::Close:
            emit(QuestionPart::Kind::Bracket, std::string(t.square ? "]" : ")"));
            break;
        case Token::Type::Number: {
            std::string text;
            if (pending) {
                AppendOperation(text, pending, e.numbers[t.index], writing, true);
                emit(QuestionPart::Kind::Operator, text.substr(0, 3));
                emit(QuestionPart::Kind::Term, text.substr(3));
            } else {
                AppendLeading(text, e.numbers[t.index], writing);
                emit(QuestionPart::Kind::Term, std::move(text));
            }
            pending = 0;
            break;
        }
        }
    }
}

// Each group changes the value: without its brackets the expression would
// give another value (or none), so the pupil cannot skip it.
bool groupsMatter(const Expression &e, std::int64_t bound)
{
    const std::optional<std::int64_t> value = e.value(bound);
    for (std::uint8_t g = 0; g < e.groupCount; ++g) {
        Expression without = e;
        without.groups[g] = without.groups[without.groupCount - 1u];
        --without.groupCount;
        if (without.value(bound) == value)
            return false;
    }
    return true;
}

std::int32_t valueOf(const Expression &e)
{
    return static_cast<std::int32_t>(e.value(std::int64_t(1) << 40).value_or(0));
}

} // namespace

std::uint32_t Expression::shape() const
{
    std::uint32_t s = count & 7u;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const std::size_t code = OpChars.find(ops[i]);
        s |= static_cast<std::uint32_t>(code == std::string_view::npos ? 0 : code) << (3 + 2 * i);
    }
    s |= static_cast<std::uint32_t>(groupCount & 3u) << 11;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::uint32_t packed = (groups[g].first & 7u) | (groups[g].last & 7u) << 3 | (groups[g].square ? 1u : 0u) << 6;
        s |= packed << (13 + 7 * g);
    }
    return s;
}

Expression Expression::fromQuestion(const Question &question)
{
    Expression e;
    const std::uint32_t s = question.shape;
    e.count = static_cast<std::uint8_t>(std::min<std::uint32_t>(s & 7u, 5));
    for (std::size_t i = 0; i < e.numbers.size(); ++i)
        e.numbers[i] = question.numbers[i];
    for (std::size_t i = 0; i < e.ops.size(); ++i)
        e.ops[i] = OpChars[s >> (3 + 2 * i) & 3u];
    e.groupCount = static_cast<std::uint8_t>(std::min<std::uint32_t>(s >> 11 & 3u, 2));
    for (std::size_t g = 0; g < e.groups.size(); ++g) {
        const std::uint32_t packed = s >> (13 + 7 * g);
        e.groups[g] = {static_cast<std::uint8_t>(packed & 7u), static_cast<std::uint8_t>(packed >> 3 & 7u),
                       (packed >> 6 & 1u) != 0};
    }
    return e;
}

std::optional<std::int64_t> Expression::value(std::int64_t bound) const
{
    Expression copy = *this;
    return Evaluator(copy, bound, nullptr).run();
}

Expression DrawExpression(OperandDraw &draw, Drill drill)
{
    const std::int64_t bound = boundFor(draw.maxValue());
    RandomSource &random = draw.random();
    Expression e;
    for (int attempt = 0; attempt < 256; ++attempt) {
        e = Expression();
        e.count = static_cast<std::uint8_t>(drill == Drill::P2 ? 4 + random.draw(2) : 3 + random.draw(3));
        for (std::size_t i = 0; i + 1 < e.count; ++i)
            e.ops[i] = drawOp(random);
        drawShape(e, random, drill);
        draw.mixed(std::span(e.numbers.data(), e.count));
        if (Evaluator(e, bound, &draw).run() && groupsMatter(e, bound))
            return e;
    }
    // Sums of at most five operands always stay within the bound.
    for (char &op : e.ops)
        op = op == 'x' ? '+' : op == ':' ? '-' : op;
    return e;
}

void AppendExpression(std::string &out, const Expression &expression, Writing writing)
{
    walk(expression, writing, [&out](QuestionPart::Kind, const std::string &text) { out += text; });
}

std::optional<Expression> Intermediate(const Expression &expression)
{
    const auto square = std::find_if(expression.groups.begin(), expression.groups.begin() + expression.groupCount,
                                     [](const Expression::Group &g) { return g.square; });
    if (square == expression.groups.begin() + expression.groupCount)
        return std::nullopt;
    const Expression::Group outer = *square;
    if (outer.first >= outer.last || outer.last >= expression.count)
        return std::nullopt;
    // The group on its own: its numbers and operators, the inner group moved.
    Expression inside;
    inside.count = static_cast<std::uint8_t>(outer.last - outer.first + 1);
    for (std::uint8_t i = 0; i < inside.count; ++i)
        inside.numbers[i] = expression.numbers[outer.first + i];
    for (std::uint8_t i = 0; i + 1 < inside.count; ++i)
        inside.ops[i] = expression.ops[outer.first + i];
    for (std::uint8_t g = 0; g < expression.groupCount; ++g) {
        const Expression::Group &group = expression.groups[g];
        if (&group != &*square && group.first >= outer.first && group.last <= outer.last)
            inside.groups[inside.groupCount++] = {static_cast<std::uint8_t>(group.first - outer.first),
                                                  static_cast<std::uint8_t>(group.last - outer.first), group.square};
    }
    Expression out;
    for (std::uint8_t i = 0; i < expression.count; ++i) {
        if (i > outer.first && i <= outer.last)
            continue;
        out.numbers[out.count] = i == outer.first ? valueOf(inside) : expression.numbers[i];
        const std::uint8_t opAfter = i == outer.first ? outer.last : i;
        if (opAfter + 1 < expression.count)
            out.ops[out.count] = expression.ops[opAfter];
        ++out.count;
    }
    return out;
}

void AppendExpressionLine(Drill drill, const Expression &expression, std::string_view prefix, const LineStyle &style,
                          std::string &subject, std::string *answer)
{
    subject += prefix;
    AppendExpression(subject, expression, style.writing);
    subject += " = <br>";
    AppendInterline(subject, style.interline);
    if (!answer)
        return;
    std::string &out = *answer;
    out += prefix;
    AppendExpression(out, expression, style.writing);
    out += " = ";
    if (drill == Drill::P2) {
        if (const std::optional<Expression> step = Intermediate(expression)) {
            AppendExpression(out, *step, style.writing);
            out += " = ";
        }
    }
    out += "<cf=jaune>";
    AppendResult(out, valueOf(expression), style.writing);
    out += "<cf=auto><br>";
    AppendInterline(out, style.answerInterline);
}

Question ExpressionQuestion(Drill drill, const Expression &expression, std::int32_t lineNumber, Writing writing)
{
    Question q;
    q.drill = drill;
    q.writing = writing;
    q.line = lineNumber;
    std::copy(expression.numbers.begin(), expression.numbers.end(), q.numbers.begin());
    q.shape = expression.shape();
    return q;
}

std::vector<QuestionPart> ExpressionParts(const Question &question)
{
    std::vector<QuestionPart> parts;
    walk(Expression::fromQuestion(question), question.writing,
         [&parts](QuestionPart::Kind kind, std::string text) { parts.push_back({kind, std::move(text)}); });
    return parts;
}

std::string ExpressionAnswer(const Question &question)
{
    std::string out;
    AppendResult(out, valueOf(Expression::fromQuestion(question)), question.writing);
    return out;
}

Expected ExpressionExpected(const Question &question)
{
    return {Expected::Kind::Number, valueOf(Expression::fromQuestion(question)), 0};
}

} // namespace oxeln
