// Every drill in every writing mode and sign mix, over a thousand seeds each,
// with the other options drawn at random: each cell of the subject and of the
// key is read back with a tokenizer and an evaluator of this file's own and
// must hold a true equality, numbers written as the mode says and within
// their bounds; the question list must read and answer as the documents do.
#include "FakeHost.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

using namespace oxeln;
using oxeln::test::FakeHost;

namespace {

struct Tok
{
    enum Kind { Num, Op, Open, Close, Blank, Eq, Exp, Rel, Slash, HlOn, HlOff };
    Kind kind;
    long long value = 0; // Num, Exp
    char c = 0;          // Op, Open, Close, Rel
    bool sign = false;   // Num written with its sign
    bool operator==(const Tok &) const = default;
};
using Toks = std::vector<Tok>;

[[noreturn]] void fail(const std::string &what, std::string_view text) { throw std::runtime_error(what + " in '" + std::string(text) + "'"); }

// Digits grouped by three with single spaces, no leading zero but "0".
long long readNumber(std::string_view s, std::size_t &i)
{
    const std::size_t start = i;
    long long v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        v = v * 10 + (s[i++] - '0');
    const std::size_t lead = i - start;
    if (lead == 0 || lead > 3 || (s[start] == '0' && lead > 1))
        fail("bad number", s);
    while (i + 3 < s.size() && s[i] == ' ' && std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
        for (int k = 1; k <= 3; ++k) {
            if (!std::isdigit(static_cast<unsigned char>(s[i + k])))
                fail("short group", s);
            v = v * 10 + (s[i + k] - '0');
        }
        i += 4;
        if (v < 1000 || (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))))
            fail("bad group", s);
    }
    return v;
}

Toks tokenize(std::string_view s)
{
    Toks out;
    std::size_t i = 0;
    bool operand = true; // a sign here belongs to a number
    const auto starts = [&](std::string_view w) { return s.substr(i, w.size()) == w; };
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ') {
            ++i;
        } else if (starts("<cf=jaune>")) {
            out.push_back({Tok::HlOn});
            i += 10;
        } else if (starts("<cf=auto>")) {
            out.push_back({Tok::HlOff});
            i += 9;
        } else if (starts("<lt>") || c == '>') {
            out.push_back({Tok::Rel, 0, c == '>' ? '>' : '<'});
            i += c == '>' ? 1 : 4;
            operand = true;
        } else if (starts("<sup>")) {
            i += 5;
            const long long e = readNumber(s, i);
            if (!starts("</sup>"))
                fail("no </sup>", s);
            i += 6;
            out.push_back({Tok::Exp, e});
            operand = false;
        } else if (starts("...")) {
            out.push_back({Tok::Blank});
            i += 3;
            operand = true; // "... -3" compares with -3; "... - 3" subtracts 3
        } else if (c == '=' || c == '/' || c == '(' || c == '[' || c == ')' || c == ']') {
            const Tok::Kind kind = c == '=' ? Tok::Eq : c == '/' ? Tok::Slash : (c == '(' || c == '[') ? Tok::Open : Tok::Close;
            out.push_back({kind, 0, c});
            operand = kind == Tok::Eq || kind == Tok::Open;
            ++i;
        } else if ((c == '+' || c == '-') && operand && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
            ++i;
            const long long v = readNumber(s, i);
            if (v == 0)
                fail("signed zero", s);
            out.push_back({Tok::Num, c == '-' ? -v : v, c, true});
            operand = false;
        } else if (c == '+' || c == '-' || c == 'x' || c == ':') {
            out.push_back({Tok::Op, 0, c});
            operand = true;
            ++i;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            out.push_back({Tok::Num, readNumber(s, i)});
            operand = false;
        } else {
            fail("unexpected byte", s);
        }
    }
    return out;
}

// Usual priorities, powers above products; a division that leaves a
// remainder makes the value inexact.
struct Evaluator
{
    const Toks &t;
    std::size_t p = 0;
    bool exact = true;

    const Tok *peek() const { return p < t.size() ? &t[p] : nullptr; }
    bool peekOp(char a, char b) const { return peek() && peek()->kind == Tok::Op && (peek()->c == a || peek()->c == b); }
    long long sum()
    {
        long long v = product();
        while (peekOp('+', '-'))
            v = t[p++].c == '+' ? v + product() : v - product();
        return v;
    }
    long long product()
    {
        long long v = power();
        while (peekOp('x', ':')) {
            const char op = t[p++].c;
            const long long r = power();
            if (op == 'x') {
                v *= r;
            } else if (r == 0 || v % r != 0) {
                exact = false;
                v = r == 0 ? 0 : v / r;
            } else {
                v /= r;
            }
        }
        return v;
    }
    long long power()
    {
        long long v = primary();
        if (peek() && peek()->kind == Tok::Exp) {
            long long r = 1;
            for (long long e = t[p++].value; e > 0; --e)
                r *= v;
            v = r;
        }
        return v;
    }
    long long primary()
    {
        const Tok *tok = peek();
        if (!tok)
            throw std::runtime_error("expression ends early");
        ++p;
        if (tok->kind == Tok::Num)
            return tok->value;
        if (tok->kind != Tok::Open)
            throw std::runtime_error("no operand");
        const char close = tok->c == '(' ? ')' : ']';
        const long long v = sum();
        if (!peek() || peek()->kind != Tok::Close || peek()->c != close)
            throw std::runtime_error("bracket not closed");
        ++p;
        return v;
    }
};

struct Value
{
    long long v;
    bool exact;
};

Value evaluate(const Toks &t, std::size_t from, std::size_t to)
{
    const Toks part(t.begin() + static_cast<std::ptrdiff_t>(from), t.begin() + static_cast<std::ptrdiff_t>(to));
    Evaluator e{part};
    const long long v = e.sum();
    if (e.p != part.size())
        throw std::runtime_error("tokens left over");
    return {v, e.exact};
}

std::vector<std::size_t> positions(const Toks &t, Tok::Kind kind)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].kind == kind)
            out.push_back(i);
    return out;
}

std::string rtrim(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

// Cells of a line by their room on the page (tags take none, "<lt>" one).
std::vector<std::string> cells(std::string_view line, std::size_t count, std::size_t width)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    for (std::size_t k = 0; k + 1 < count; ++k) {
        const std::size_t start = i;
        for (std::size_t room = 0; room < width;) {
            if (i >= line.size())
                fail("short line", line);
            if (line[i] == '<') {
                const std::size_t end = line.find('>', i);
                room += line.substr(i, end - i + 1) == "<lt>" ? 1 : 0;
                i = end + 1;
            } else {
                ++room;
                ++i;
            }
        }
        if (line[i - 1] != ' ')
            fail("cell fills its column", line);
        out.push_back(rtrim(line.substr(start, i - start)));
    }
    out.push_back(rtrim(line.substr(i)));
    return out;
}

// Question lines of a document's body: "<br>" ends a line, lines of spaces
// are what the paired drills leave after their last cell.
std::vector<std::string> questionLines(const std::string &document, std::size_t &breaks)
{
    const std::string head = "<courier><te=18>";
    std::string_view body(document);
    body.remove_prefix(body.find(head) + head.size());
    std::vector<std::string> out;
    breaks = 0;
    for (std::size_t at = 0; at < body.size();) {
        const std::size_t end = body.find("<br>", at);
        if (end == std::string_view::npos && body.find_first_not_of(' ', at) == std::string_view::npos)
            break; // a paired line's padding after its last break
        if (end == std::string_view::npos)
            fail("line without its break", body.substr(at));
        ++breaks;
        if (body.substr(at, end - at).find_first_not_of(' ') != std::string_view::npos)
            out.emplace_back(body.substr(at, end - at));
        at = end + 4;
    }
    return out;
}

struct Layout
{
    std::size_t perLine;
    std::size_t width;
};

Layout layoutOf(Drill d)
{
    switch (d) {
    case Drill::S1: case Drill::S2: case Drill::P1: case Drill::P2: return {1, 0};
    case Drill::Power: return {4, 27};
    case Drill::Compare: return {5, 19};
    default: return {4, 26};
    }
}

bool isMissing(Drill d) { return d >= Drill::MissingPlus && d <= Drill::MissingDivide; }

struct DrillRun
{
    Drill drill;
    int v;
    DrillOptions o;
};

// The numbers as the writing mode writes them, in the subject.
void checkWriting(const Toks &s, Writing w)
{
    for (std::size_t j = 0; j < s.size(); ++j) {
        if (s[j].kind != Tok::Num)
            continue;
        const bool bracketed = j > 0 && s[j - 1].kind == Tok::Open && s[j - 1].c == '(' && j + 1 < s.size() &&
                               s[j + 1].kind == Tok::Close && s[j + 1].c == ')';
        const Tok *before = (bracketed ? j >= 2 : j >= 1) ? &s[j - (bracketed ? 2 : 1)] : nullptr;
        const bool result = before && before->kind == Tok::Eq;
        const bool base = j + (bracketed ? 2 : 1) < s.size() && s[j + (bracketed ? 2 : 1)].kind == Tok::Exp;
        const bool negative = s[j].value < 0;
        if (w == Writing::Parentheses) {
            EXPECT_TRUE(bracketed && (s[j].sign || s[j].value == 0)) << j;
            continue;
        }
        EXPECT_FALSE(s[j].sign && !negative) << "a '+' sign outside the parentheses writing";
        bool wanted = negative && !result;
        if (w == Writing::Simplified && negative && !base) {
            const bool afterProduct = before && before->kind == Tok::Op && (before->c == 'x' || before->c == ':');
            EXPECT_FALSE(before && before->kind == Tok::Op && !afterProduct) << "sign not merged";
            wanted = afterProduct;
        }
        EXPECT_EQ(bracketed, wanted) << "number " << s[j].value;
    }
}

void checkRun(const DrillRun &r, const Worksheet &ws, const FakeHost &host)
{
    // The seven first drills draw as they always did unless a smallest
    // value, a sign mix or (for divisions) exact quotients are asked; in
    // simplified writing a merged sign hides the operand's, so its absolute
    // value is checked.
    const bool legacyDraw = r.o.smallest == 0 && r.o.signs == SignMix::Random && r.drill < Drill::MissingPlus &&
                            !(r.drill == Drill::Divide && r.o.exactDivisions);
    const long long low = r.o.smallest > 0 ? r.o.smallest : 1;
    const long long high = r.o.smallest > 0 ? r.v : r.v / 2;
    const auto inRange = [&](long long x) {
        return legacyDraw ? x != 0 && x >= r.v / 2 - r.v + 1 && x <= r.v / 2 : std::llabs(x) >= low && std::llabs(x) <= high;
    };
    std::size_t subjectBreaks = 0;
    std::size_t answerBreaks = 0;
    const std::vector<std::string> subjectLines = questionLines(ws.subject(), subjectBreaks);
    const std::vector<std::string> answerLines = questionLines(ws.answer(), answerBreaks);
    ASSERT_EQ(subjectLines.size(), answerLines.size());
    EXPECT_EQ(answerBreaks, r.o.compactAnswer ? subjectLines.size() : subjectBreaks);
    const Layout layout = layoutOf(r.drill);
    std::size_t index = 0;
    std::set<std::string> asked;
    for (std::size_t line = 0; line < subjectLines.size(); ++line) {
        const std::string prefix = (line < 9 ? "0" : "") + std::to_string(line + 1) + "/";
        ASSERT_EQ(subjectLines[line].compare(0, prefix.size(), prefix), 0);
        ASSERT_EQ(answerLines[line].compare(0, prefix.size(), prefix), 0);
        const auto sc = cells(std::string_view(subjectLines[line]).substr(prefix.size()), layout.perLine, layout.width);
        const auto ac = cells(std::string_view(answerLines[line]).substr(prefix.size()), layout.perLine, layout.width);
        for (std::size_t k = 0; k < sc.size(); ++k, ++index) {
            SCOPED_TRACE(sc[k] + "  |  " + ac[k]);
            const Question q = ws.questions().at(index);
            const Toks s = tokenize(sc[k]);
            const Toks a = tokenize(ac[k]);
            checkWriting(s, r.o.writing);
            asked.insert(std::to_string(int(r.drill)) + sc[k]);

            // The key is the subject with the highlighted part in its place.
            const auto on = positions(a, Tok::HlOn);
            const auto off = positions(a, Tok::HlOff);
            ASSERT_TRUE(on.size() == 1 && off.size() == 1 && on[0] < off[0]);
            Toks plain = a;
            plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(off[0]));
            plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(on[0]));
            const Toks shown(a.begin() + static_cast<std::ptrdiff_t>(on[0] + 1), a.begin() + static_cast<std::ptrdiff_t>(off[0]));
            const std::string highlighted = ac[k].substr(ac[k].find("<cf=jaune>") + 10, ac[k].find("<cf=auto>") - ac[k].find("<cf=jaune>") - 10);
            EXPECT_EQ(q.answer(), highlighted == "<lt>" ? "<" : highlighted);
            const std::vector<QuestionPart> parts = q.parts();
            const bool blank = std::any_of(parts.begin(), parts.end(),
                                           [](const QuestionPart &p) { return p.kind == QuestionPart::Kind::Blank; });
            EXPECT_EQ(rtrim(q.markup() + (blank ? "" : " = ")), sc[k]);

            std::vector<long long> operands; // as the subject and key write them
            if (r.drill == Drill::Compare) {
                ASSERT_EQ(s.size(), a.size() - 2);
                const std::size_t dots = positions(s, Tok::Blank).at(0);
                const Value x = evaluate(s, 0, dots);
                const Value y = evaluate(s, dots + 1, s.size());
                const char sign = x.v < y.v ? '<' : x.v > y.v ? '>' : '=';
                ASSERT_EQ(shown.size(), 1u);
                EXPECT_EQ(shown[0].kind == Tok::Eq ? '=' : shown[0].c, sign);
                EXPECT_EQ(q.expected(), (Expected{Expected::Kind::Relation, 0, sign}));
                operands = {x.v, y.v};
            } else if (isMissing(r.drill)) {
                Toks asSubject = a;
                asSubject.erase(asSubject.begin() + static_cast<std::ptrdiff_t>(on[0]), asSubject.begin() + static_cast<std::ptrdiff_t>(off[0] + 1));
                asSubject.insert(asSubject.begin() + static_cast<std::ptrdiff_t>(on[0]), Tok{Tok::Blank});
                EXPECT_EQ(asSubject, s);
                const std::size_t eq = positions(plain, Tok::Eq).at(0);
                const Value left = evaluate(plain, 0, eq);
                const Value right = evaluate(plain, eq + 1, plain.size());
                EXPECT_TRUE(left.exact && right.exact);
                EXPECT_EQ(left.v, right.v);
                const long long missing = evaluate(shown, 0, shown.size()).v;
                EXPECT_EQ(q.expected(), (Expected{Expected::Kind::Number, missing, 0}));
                for (const Tok &t : plain)
                    if (t.kind == Tok::Num)
                        operands.push_back(std::llabs(t.value));
                // Divisor and quotient within the bounds, the dividend their
                // product; otherwise both operands, not the result.
                if (r.drill == Drill::MissingDivide) {
                    EXPECT_LE(operands[0], high * high);
                    operands.erase(operands.begin());
                } else {
                    operands.pop_back();
                }
            } else {
                // "question = " in the subject; "question = [step =] result" in the key.
                const auto eqs = positions(a, Tok::Eq);
                ASSERT_EQ(positions(s, Tok::Eq), std::vector<std::size_t>{s.size() - 1});
                ASSERT_EQ(Toks(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(s.size())), s);
                ASSERT_EQ(on[0], eqs.back() + 1);
                ASSERT_EQ(off[0], a.size() - 1);
                EXPECT_EQ(eqs.size(), r.drill == Drill::P2 ? 2u : 1u);
                const Value value = evaluate(s, 0, s.size() - 1);
                if (eqs.size() == 2) {
                    const Value step = evaluate(a, eqs[0] + 1, eqs[1]);
                    EXPECT_EQ(step.v, value.v);
                }
                const bool slash = std::any_of(shown.begin(), shown.end(), [](const Tok &t) { return t.kind == Tok::Slash; });
                if (value.exact) {
                    EXPECT_FALSE(slash);
                    EXPECT_EQ(evaluate(shown, 0, shown.size()).v, value.v);
                    EXPECT_EQ(q.expected(), (Expected{Expected::Kind::Number, value.v, 0}));
                } else {
                    EXPECT_TRUE(slash && r.drill == Drill::Divide && !r.o.exactDivisions);
                    EXPECT_EQ(q.expected().kind, Expected::Kind::NoQuotient);
                }
                for (std::size_t j = 0; j + 1 < s.size(); ++j)
                    if (s[j].kind == Tok::Num)
                        operands.push_back(r.o.writing == Writing::Simplified ? std::llabs(s[j].value) : s[j].value);
                if (r.drill == Drill::P1 || r.drill == Drill::P2) {
                    EXPECT_LE(std::llabs(value.v), std::max<long long>(r.v * r.v, 5 * r.v));
                } else if (r.drill == Drill::Divide) {
                    const long long d = std::llabs(operands[1]);
                    EXPECT_LE(std::llabs(operands[0]), legacyDraw && !r.o.exactDivisions ? (d + 10) * (r.v - 1) : high * (high + 1));
                    if (value.exact && !legacyDraw) {
                        EXPECT_TRUE(std::llabs(value.v) >= low && std::llabs(value.v) <= high);
                    }
                    operands.erase(operands.begin());
                } else if (r.drill == Drill::Power) {
                    const long long e = s[s.size() - 2].value;
                    if (r.o.largestExponent > 0) {
                        EXPECT_LE(e, r.o.largestExponent);
                    }
                    EXPECT_LT(std::llabs(value.v), 100'000'000);
                    const long long b = std::llabs(operands[0]);
                    const long long baseHigh = r.o.largestBase ? r.o.largestBase : high;
                    if (legacyDraw && r.o.largestBase == 0) {
                        EXPECT_LE(b, r.v / 2);
                    } else {
                        EXPECT_TRUE(b >= std::min(low, baseHigh) && b <= baseHigh) << b;
                    }
                    operands.clear();
                }
            }
            for (long long x : operands)
                EXPECT_TRUE(inRange(x)) << x;

            // The sign mix, on the numbers drawn.
            const std::size_t drawn = q.isChain() ? 8 : (r.drill == Drill::P1 || r.drill == Drill::P2) ? (q.shape & 7u)
                                    : r.drill == Drill::Power ? 1 : 2;
            const auto negatives = static_cast<std::size_t>(
                std::count_if(q.numbers.begin(), q.numbers.begin() + static_cast<std::ptrdiff_t>(drawn), [](int n) { return n < 0; }));
            if (r.o.signs == SignMix::AllNegative) {
                EXPECT_EQ(negatives, drawn);
            } else if (r.o.signs == SignMix::OneNegative) {
                EXPECT_GE(negatives, 1u);
            }
            if (::testing::Test::HasFailure())
                return;
        }
    }
    EXPECT_EQ(index, ws.questions().size());
    if (r.o.noDuplicates && host.notices.empty()) {
        EXPECT_EQ(asked.size(), index) << "a question came twice";
    }
    // With nine values or more there are 81 questions or more for these
    // few: no notice is due (powers may have a single base and exponent).
    const long long values = legacyDraw ? r.v - 1 : high - low + 1;
    if (values >= 9 && r.drill != Drill::Power) {
        EXPECT_TRUE(host.notices.empty());
    }
}

} // namespace

TEST(ChapterProperties, EveryDrillModeAndSignMixReadsBackTrue)
{
    const int maxima[] = {10, 11, 37, 100, 999};
    std::mt19937 gen(18);
    for (Drill drill : AllDrills) {
        for (Writing writing : {Writing::Parentheses, Writing::Negatives, Writing::Simplified}) {
            for (SignMix signs : {SignMix::Random, SignMix::OneNegative, SignMix::AllNegative}) {
                for (int seed = 0; seed < 1000; ++seed) {
                    FakeHost host;
                    host.maxV = maxima[gen() % 5];
                    host.lines = 1 + static_cast<int>(gen() % 2);
                    host.interline = 1 + static_cast<int>(gen() % 2);
                    DrillOptions &o = host.options;
                    o.writing = writing;
                    o.signs = signs;
                    const auto upTo = static_cast<unsigned>(gen() % 4 ? host.maxV / 3 : host.maxV);
                    o.smallest = gen() % 2 ? 0 : 1 + static_cast<int>(gen() % upTo);
                    o.noDuplicates = gen() % 2;
                    o.exactDivisions = gen() % 2;
                    o.largestExponent = gen() % 3 ? 0 : 1 + static_cast<int>(gen() % 58);
                    o.largestBase = gen() % 3 ? 0 : 1 + static_cast<int>(gen() % 30);
                    o.compactAnswer = gen() % 2;
                    Worksheet ws;
                    ws.random().seed(static_cast<std::uint32_t>(gen()));
                    ws.runDrill(drill, host);
                    const DrillRun run{drill, host.maxV, o};
                    try {
                        checkRun(run, ws, host);
                    } catch (const std::exception &e) {
                        ADD_FAILURE() << e.what();
                    }
                    if (::testing::Test::HasFailure()) {
                        FAIL() << DrillName(drill) << " " << WritingName(writing) << " " << SignMixName(signs)
                               << " seed " << seed << " V " << host.maxV << " min " << o.smallest;
                    }
                }
            }
        }
    }
}
