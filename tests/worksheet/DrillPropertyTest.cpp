// Whole worksheets over many seeds, read back with an independent parser:
// every question's numbers, layout and answer are checked from the markup.
#include "FakeHost.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

using namespace oxeln;
using oxeln::test::FakeHost;

namespace {

class Cursor
{
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    std::size_t pos() const { return m_pos; }
    bool atEnd() const { return m_pos == m_text.size(); }
    bool take(std::string_view literal)
    {
        if (m_text.substr(m_pos, literal.size()) != literal)
            return false;
        m_pos += literal.size();
        return true;
    }
    void expect(std::string_view literal)
    {
        if (!take(literal))
            throw std::runtime_error("expected '" + std::string(literal) + "' at '" +
                                     std::string(m_text.substr(m_pos, 40)) + "'");
    }
    std::size_t spaces()
    {
        std::size_t n = 0;
        while (take(" "))
            ++n;
        return n;
    }
    // "0", or a sign and digits grouped by three with single spaces.
    long long signedNumber()
    {
        if (take("0"))
            return 0;
        int sign = 0;
        if (take("+"))
            sign = 1;
        else if (take("-"))
            sign = -1;
        else
            throw std::runtime_error("no sign at '" + std::string(m_text.substr(m_pos, 20)) + "'");
        const long long magnitude = groupedDigits();
        if (magnitude == 0)
            throw std::runtime_error("signed zero");
        return sign * magnitude;
    }
    long long decimal()
    {
        long long value = 0;
        std::size_t digits = 0;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            value = value * 10 + (m_text[m_pos++] - '0');
            ++digits;
        }
        if (digits == 0 || (digits > 1 && m_text[m_pos - digits] == '0'))
            throw std::runtime_error("bad decimal");
        return value;
    }

private:
    long long groupedDigits()
    {
        long long value = 0;
        std::size_t lead = 0;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            value = value * 10 + (m_text[m_pos++] - '0');
            ++lead;
        }
        if (lead == 0 || lead > 3 || m_text[m_pos - lead] == '0')
            throw std::runtime_error("bad leading group");
        while (m_pos + 3 < m_text.size() && m_text[m_pos] == ' ' &&
               std::isdigit(static_cast<unsigned char>(m_text[m_pos + 1]))) {
            ++m_pos;
            for (int i = 0; i < 3; ++i) {
                if (!std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
                    throw std::runtime_error("short group");
                value = value * 10 + (m_text[m_pos++] - '0');
            }
        }
        return value;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::size_t visibleLength(std::string_view text)
{
    std::size_t n = 0;
    bool inTag = false;
    for (char c : text) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            ++n;
    }
    return n;
}

struct Range
{
    long long low;
    long long high;
    bool contains(long long v) const { return v >= low && v <= high; }
};

Range operandRange(int v) { return {v / 2 - v + 1, v / 2}; }

long long power(long long b, long long e)
{
    long long r = 1;
    for (long long i = 0; i < e; ++i)
        r *= b;
    return r;
}

std::string prefix(int n)
{
    return (n < 10 ? "0" : "") + std::to_string(n) + "/";
}

struct Check
{
    Drill drill;
    int v;
    int interline;
    bool answerKey;
};

void checkPairedLine(Cursor &s, Cursor *a, int number, const Check &c)
{
    const bool isPower = c.drill == Drill::Power;
    const bool isDivide = c.drill == Drill::Divide;
    const char op = c.drill == Drill::Plus ? '+' : c.drill == Drill::Minus ? '-' : c.drill == Drill::Mult ? 'x' : ':';
    const std::string subjectMid = isPower ? ")<sup>" : std::string(") ") + op + " (";
    const std::string subjectEnd = isPower ? "</sup> = " : ") = ";
    const std::string answerMid = isPower ? ")<sup>" : std::string(")") + op + "(";
    const std::string answerEnd = isPower ? "</sup> = " : ")=";
    const std::size_t width = isPower ? 38 : 26;
    const Range operands = operandRange(c.v);

    s.expect(prefix(number));
    if (a)
        a->expect(prefix(number));
    for (int k = 0; k < 4; ++k) {
        const std::size_t start = s.pos();
        s.expect("(");
        const long long x = s.signedNumber();
        s.expect(subjectMid);
        const long long y = isPower ? s.decimal() : s.signedNumber();
        s.expect(subjectEnd);
        if (k == 3 && !isPower)
            s.expect("<br>");
        const std::size_t subjectContent = s.pos() - start;
        ASSERT_EQ(s.spaces(), subjectContent < width ? width - subjectContent : 0);

        // Values drawn within their bounds.
        if (isPower) {
            ASSERT_TRUE(operands.contains(x)) << x;
            ASSERT_FALSE(x == 0 && y == 0);
            ASSERT_LE(y, 58);
            ASSERT_LT(std::llabs(power(x, y)), 100000000LL) << x << "^" << y;
        } else if (isDivide) {
            ASSERT_TRUE(operands.contains(y) && y != 0) << y;
            ASSERT_LE(std::llabs(x), (std::llabs(y) + 10) * (c.v - 1)) << x;
        } else {
            ASSERT_TRUE(operands.contains(x) && x != 0) << x;
            ASSERT_TRUE(operands.contains(y) && y != 0) << y;
        }

        if (!a)
            continue;
        const std::size_t answerStart = a->pos();
        a->expect("(");
        ASSERT_EQ(a->signedNumber(), x);
        a->expect(answerMid);
        ASSERT_EQ(isPower ? a->decimal() : a->signedNumber(), y);
        a->expect(answerEnd);
        a->expect("<cf=jaune>(");
        std::optional<long long> result;
        if (!a->take("/"))
            result = a->signedNumber();
        a->expect(")<cf=auto>");
        if (k == 3 && !isPower)
            a->expect("<br>");
        // A long cell 4 (its "<br>" counts) may pass the width: never cut.
        const std::size_t answerContent = a->pos() - answerStart;
        ASSERT_EQ(a->spaces(), answerContent < width + 19 ? width + 19 - answerContent : 0);
        if (k < 3) {
            ASSERT_LE(answerContent, width + 19);
        }

        std::optional<long long> expected;
        switch (c.drill) {
        case Drill::Plus: expected = x + y; break;
        case Drill::Minus: expected = x - y; break;
        case Drill::Mult: expected = x * y; break;
        case Drill::Power: expected = power(x, y); break;
        default:
            if (x % y == 0)
                expected = x / y;
            break;
        }
        ASSERT_EQ(result, expected) << x << " " << op << " " << y;
    }
    if (isPower) {
        s.expect("<br>");
        if (a)
            a->expect("<br>");
    }
}

void checkChainLine(Cursor &s, Cursor *a, int number, const Check &c)
{
    const Range operands = operandRange(c.v);
    s.expect(prefix(number));
    if (a)
        a->expect(prefix(number));
    long long total = 0;
    for (int i = 0; i < 8; ++i) {
        bool minus = false;
        if (i > 0) {
            if (c.drill == Drill::S2 && s.take(" - "))
                minus = true;
            else
                s.expect(" + ");
            if (a)
                a->expect(minus ? " - " : " + ");
        }
        s.expect("(");
        const long long t = s.signedNumber();
        s.expect(")");
        ASSERT_TRUE(operands.contains(t) && t != 0) << t;
        total += minus ? -t : t;
        if (a) {
            a->expect("(");
            ASSERT_EQ(a->signedNumber(), t);
            a->expect(")");
        }
    }
    s.expect(" = <br>");
    if (a) {
        a->expect(" = <cf=jaune>(");
        ASSERT_EQ(a->signedNumber(), total);
        a->expect(")<cf=auto><br>");
    }
}

// Visible columns: cells 1 to 3 of every paired line take the same room on
// the page in both documents.
void checkColumns(const std::string &subject, const std::string &answer, Drill drill)
{
    const std::size_t room = drill == Drill::Power ? 27 : 26;
    for (const std::string *doc : {&subject, &answer}) {
        const std::size_t width = (drill == Drill::Power ? 38 : 26) + (doc == &answer ? 19 : 0);
        const std::size_t firstCell = doc->find('(');
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(visibleLength(std::string_view(*doc).substr(firstCell + k * width, width)), room);
    }
}

} // namespace

TEST(DrillProperties, WorksheetsOverManySeeds)
{
    const Drill drills[] = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power,
                            Drill::Divide, Drill::S1, Drill::S2};
    const int maxima[] = {10, 11, 100, 999, 37, 500};
    std::mt19937 gen(2024);
    for (int round = 0; round < 120; ++round) {
        Worksheet ws;
        ws.random().seed(static_cast<std::uint32_t>(gen()));
        FakeHost host;
        host.answerKey = round % 5 != 4;
        struct Run { Check check; int lines; };
        std::vector<Run> runs;
        for (int d = 0; d < 4; ++d) {
            host.maxV = maxima[gen() % 6];
            host.lines = 1 + static_cast<int>(gen() % 40);
            host.interline = 1 + static_cast<int>(gen() % 5);
            const Drill drill = drills[gen() % 7];
            ws.runDrill(drill, host);
            runs.push_back({{drill, host.maxV, host.interline, host.answerKey}, host.lines});
        }

        const std::string &subject = ws.subject();
        const std::string &answer = ws.answer();
        const std::string head = "<courier><te=18>";
        Cursor s(std::string_view(subject).substr(subject.find(head) + head.size()));
        std::optional<Cursor> a;
        if (host.answerKey)
            a.emplace(std::string_view(answer).substr(answer.find(head) + head.size()));
        else
            ASSERT_TRUE(answer.empty());

        int number = 0;
        try {
            for (const Run &run : runs) {
                for (int line = 0; line < run.lines; ++line) {
                    ++number;
                    if (run.check.drill == Drill::S1 || run.check.drill == Drill::S2)
                        checkChainLine(s, a ? &*a : nullptr, number, run.check);
                    else
                        checkPairedLine(s, a ? &*a : nullptr, number, run.check);
                    if (::testing::Test::HasFatalFailure())
                        return;
                    for (int i = 0; i < run.check.interline; ++i) {
                        s.expect("<br>");
                        if (a)
                            a->expect("<br>");
                    }
                }
            }
        } catch (const std::exception &e) {
            FAIL() << "round " << round << " line " << number << ": " << e.what();
        }
        EXPECT_TRUE(s.atEnd());
        if (a) {
            EXPECT_TRUE(a->atEnd());
        }
        EXPECT_EQ(ws.counter(), number);
    }
}

TEST(DrillProperties, ColumnsLineUpOnThePage)
{
    for (Drill drill : {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power, Drill::Divide}) {
        for (std::uint32_t seed = 0; seed < 300; ++seed) {
            Worksheet ws;
            ws.random().seed(seed * 7919u);
            FakeHost host;
            host.lines = 1;
            host.maxV = seed % 2 ? 999 : 100;
            ws.runDrill(drill, host);
            const std::string head = "<courier><te=18>";
            checkColumns(ws.subject().substr(ws.subject().find(head) + head.size()),
                         ws.answer().substr(ws.answer().find(head) + head.size()), drill);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
}
