#include "ChainDrills.h"
#include "Commune.h"
#include "FakeHost.h"
#include "PairedDrills.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace oxeln;
using oxeln::test::FakeHost;
using oxeln::test::findSeed;

namespace {

std::string pad(const std::string &text, std::size_t spaces) { return text + std::string(spaces, ' '); }

struct Lines
{
    std::string subject;
    std::string answer;
};

Lines paired(Drill drill, const PairedLine &line, int interline = 2, const char *prefix = "01/")
{
    Lines out;
    AppendPairedLine(drill, line, prefix, interline, out.subject, &out.answer);
    return out;
}

} // namespace

TEST(PairedDrills, AdditionWorkedExample)
{
    const Lines l = paired(Drill::Plus, {{{3, -4}, {12, 7}, {-25, -1}, {50, -49}}});
    const std::string subject = "01/" + pad("(+3) + (-4) = ", 12) + pad("(+12) + (+7) = ", 11) +
                                pad("(-25) + (-1) = ", 11) + pad("(+50) + (-49) = <br>", 6) + "<br><br>";
    const std::string answer = "01/" + pad("(+3)+(-4)=<cf=jaune>(-1)<cf=auto>", 12) +
                               pad("(+12)+(+7)=<cf=jaune>(+19)<cf=auto>", 10) +
                               pad("(-25)+(-1)=<cf=jaune>(-26)<cf=auto>", 10) +
                               pad("(+50)+(-49)=<cf=jaune>(+1)<cf=auto><br>", 6) + "<br><br>";
    EXPECT_EQ(l.subject, subject);
    EXPECT_EQ(l.subject.size(), 115u);
    EXPECT_EQ(l.answer, answer);
    EXPECT_EQ(l.answer.size(), 191u);

    std::string subjectOnly;
    AppendPairedLine(Drill::Plus, {{{3, -4}, {12, 7}, {-25, -1}, {50, -49}}}, "01/", 2, subjectOnly, nullptr);
    EXPECT_EQ(subjectOnly, subject);
}

TEST(PairedDrills, CellTextsOfEachKind)
{
    const PairedLine sub{{{3, -4}, {4, 4}, {1, 1}, {1, 1}}};
    Lines l = paired(Drill::Minus, sub, 1);
    EXPECT_EQ(l.subject.substr(3, 26), pad("(+3) - (-4) = ", 12));
    EXPECT_EQ(l.answer.substr(3, 45), pad("(+3)-(-4)=<cf=jaune>(+7)<cf=auto>", 12));
    EXPECT_EQ(l.answer.substr(48, 45), pad("(+4)-(+4)=<cf=jaune>(0)<cf=auto>", 13));

    l = paired(Drill::Plus, {{{4, -4}, {1, 1}, {1, 1}, {1, 1}}});
    EXPECT_EQ(l.answer.substr(3, 32), "(+4)+(-4)=<cf=jaune>(0)<cf=auto>");

    l = paired(Drill::Mult, {{{-12, 11}, {1, 1}, {1, 1}, {-499, -499}}}, 1);
    EXPECT_EQ(l.subject.substr(3, 26), pad("(-12) x (+11) = ", 10));
    EXPECT_EQ(l.answer.substr(3, 45), pad("(-12)x(+11)=<cf=jaune>(-132)<cf=auto>", 8));
    EXPECT_NE(l.answer.find("(-499)x(-499)=<cf=jaune>(+249 001)<cf=auto><br>"), std::string::npos);

    l = paired(Drill::Divide, {{{4950, 50}, {0, 7}, {-5, -4}, {6, -3}}}, 1);
    EXPECT_EQ(l.subject.substr(3, 26), pad("(+4 950) : (+50) = ", 7));
    EXPECT_EQ(l.answer.substr(3, 45), pad("(+4 950):(+50)=<cf=jaune>(+99)<cf=auto>", 6));
    EXPECT_EQ(l.answer.substr(48, 45), pad("(0):(+7)=<cf=jaune>(0)<cf=auto>", 14));
    EXPECT_EQ(l.answer.substr(93, 45), pad("(-5):(-4)=<cf=jaune>(/)<cf=auto>", 13));
    EXPECT_EQ(l.answer.substr(138), pad("(+6):(-3)=<cf=jaune>(-2)<cf=auto><br>", 8) + "<br>");
}

TEST(PairedDrills, PowerCellsAndLineEnd)
{
    const Lines l = paired(Drill::Power, {{{-2, 3}, {7, 0}, {0, 37}, {-464, 3}}}, 2);
    const std::string subject = "01/" + pad("(-2)<sup>3</sup> = ", 19) + pad("(+7)<sup>0</sup> = ", 19) +
                                pad("(0)<sup>37</sup> = ", 19) + pad("(-464)<sup>3</sup> = ", 17) +
                                "<br><br><br>";
    const std::string answer = "01/" + pad("(-2)<sup>3</sup> = <cf=jaune>(-8)<cf=auto>", 15) +
                               pad("(+7)<sup>0</sup> = <cf=jaune>(+1)<cf=auto>", 15) +
                               pad("(0)<sup>37</sup> = <cf=jaune>(0)<cf=auto>", 16) +
                               pad("(-464)<sup>3</sup> = <cf=jaune>(-99 897 344)<cf=auto>", 4) +
                               "<br><br><br>";
    EXPECT_EQ(l.subject, subject);
    EXPECT_EQ(l.answer, answer);
}

TEST(FormatQuotient, ExactTruncatedAndInexact)
{
    EXPECT_EQ(FormatQuotient(4950, 50), "+99");
    EXPECT_EQ(FormatQuotient(0, 7), "0");
    EXPECT_EQ(FormatQuotient(6, -3), "-2");
    EXPECT_EQ(FormatQuotient(-5, -4), "/");
    EXPECT_EQ(FormatQuotient(7, 2), "/");
    EXPECT_EQ(FormatQuotient(-7, 2), "/");
    EXPECT_EQ(FormatQuotient(-498002, -499), "+998");
    EXPECT_EQ(FormatQuotient(3000, 1), "+3 000");
}

TEST(DrawDividend, BranchesAndDrawOrder)
{
    // d = -4 with s = 0, t = 2, m = 5 gives -5.
    const std::uint32_t seed = findSeed([](RandomSource &r) {
        return r.draw(8) == 0 && r.draw(10) == 2 && r.draw(10) == 5;
    });
    RandomSource random(seed);
    EXPECT_EQ(DrawDividend(random, -4, 10), -5);
    EXPECT_EQ(FormatQuotient(-5, -4), "/");

    int inexactBranch = 0;
    for (std::uint32_t s = 0; s < 16000; ++s) {
        RandomSource a(s * 40503u);
        RandomSource b(s * 40503u);
        const std::int32_t d = static_cast<std::int32_t>(s % 19) - 9 == 0 ? 3 : static_cast<std::int32_t>(s % 19) - 9;
        const std::int32_t n = DrawDividend(a, d, 100);
        if (b.draw(8) != 0) {
            const auto m = static_cast<std::int32_t>(b.draw(100));
            ASSERT_EQ(n, m * d);
        } else {
            ++inexactBranch;
            const auto t = static_cast<std::int32_t>(b.draw(10));
            const auto m = static_cast<std::int32_t>(b.draw(100));
            ASSERT_EQ(n, (d + t + 1) * m);
        }
        ASSERT_EQ(a.state(), b.state());
    }
    EXPECT_NEAR(inexactBranch, 2000, 200);
}

TEST(DrawExponent, TableRowsAndPowerBounds)
{
    // |b| -> highest exponent of its row
    const std::pair<int, int> rows[] = {
        {0, 58}, {1, 48}, {2, 26}, {3, 16}, {4, 13}, {5, 11}, {6, 10}, {7, 9}, {8, 8}, {9, 8},
        {10, 7}, {13, 7}, {14, 6}, {21, 6}, {22, 5}, {39, 5}, {40, 4}, {99, 4}, {100, 3},
        {464, 3}, {465, 2}, {499, 2}};
    for (const auto &[b, highest] : rows) {
        EXPECT_EQ(HighestExponent(b), highest) << b;
        EXPECT_EQ(HighestExponent(-b), highest) << b;
        if (b >= 2) {
            long long power = 1;
            for (int i = 0; i < highest; ++i)
                power *= b;
            EXPECT_LT(power, 100000000LL) << b;
            EXPECT_GE(power * b, 100000000LL) << b; // one more would reach the bound
        }
    }
    // Every |b| up to 499 lies in the row whose bound it meets.
    for (int b = 2; b <= 499; ++b) {
        long long power = 1;
        int e = 0;
        while (power * b < 100000000LL) {
            power *= b;
            ++e;
        }
        ASSERT_EQ(HighestExponent(b), e) << b;
    }
}

TEST(DrawExponent, DrawsSpreadAndCount)
{
    for (const int b : {0, 1, -2, 7, -40, 464, 465, -499}) {
        std::map<int, int> seen;
        RandomSource random(static_cast<std::uint32_t>(b * 977 + 5));
        const int rounds = 41 * 600;
        for (int i = 0; i < rounds; ++i) {
            const std::uint32_t before = random.state();
            const int e = DrawExponent(random, b);
            ++seen[e];
            RandomSource replay(before);
            replay.draw(41);
            if (std::abs(b) < 465)
                replay.draw(41);
            ASSERT_EQ(random.state(), replay.state()) << b; // two draws below 465, one from there
        }
        EXPECT_EQ(seen.rbegin()->first, HighestExponent(b)) << b;
        EXPECT_EQ(seen.begin()->first, 0) << b;
        EXPECT_NEAR(seen[0], 600, 110) << b;
        EXPECT_NEAR(seen[1], 600, 110) << b;
        for (int e = 2; e <= HighestExponent(b); ++e)
            EXPECT_GT(seen[e], 0) << b << "^" << e;
    }
}

TEST(DrawPairedLine, PowerRedrawsZeroToTheZero)
{
    // A base of 0 (r = 50 with V = 100), then an exponent 0 (r = 39 of 41).
    const std::uint32_t seed = findSeed([](RandomSource &r) {
        return r.draw(100) == 50 && (r.draw(57), r.draw(41) == 39);
    });
    RandomSource random(seed);
    const PairedLine line = DrawPairedLine(random, Drill::Power, 100);
    EXPECT_FALSE(line[0].first == 0 && line[0].second == 0);
    RandomSource replay(seed);
    replay.draw(100);
    replay.draw(57);
    replay.draw(41);
    const std::int32_t redrawnBase = 50 - static_cast<std::int32_t>(replay.draw(100));
    EXPECT_EQ(line[0].first, redrawnBase);
}

TEST(DrawPairedLine, DrawOrderOfEachKind)
{
    for (std::uint32_t seed : {1u, 77u, 4242u}) {
        RandomSource a(seed);
        RandomSource b(seed);
        const PairedLine add = DrawPairedLine(a, Drill::Plus, 100);
        for (const PairedQuestion &q : add) {
            EXPECT_EQ(q.first, DrawOperand(b, 100));
            EXPECT_EQ(q.second, DrawOperand(b, 100));
        }
        const PairedLine div = DrawPairedLine(a, Drill::Divide, 100);
        for (const PairedQuestion &q : div) {
            const std::int32_t d = DrawOperand(b, 100);
            EXPECT_EQ(q.second, d);
            EXPECT_EQ(q.first, DrawDividend(b, d, 100));
        }
        EXPECT_EQ(a.state(), b.state());
    }
}

TEST(ChainDrills, WorkedExamples)
{
    ChainLine s1;
    s1.terms = {5, -2, 7, -1, 3, 4, -6, 2};
    Lines l;
    AppendChainLine(s1, "03/", 2, l.subject, &l.answer);
    EXPECT_EQ(l.subject, "03/(+5) + (-2) + (+7) + (-1) + (+3) + (+4) + (-6) + (+2) = <br><br><br>");
    EXPECT_EQ(l.answer, "03/(+5) + (-2) + (+7) + (-1) + (+3) + (+4) + (-6) + (+2) = "
                        "<cf=jaune>(+12)<cf=auto><br><br><br>");

    ChainLine s2;
    s2.terms = {-3, 5, -2, -8, 1, 6, 4, -7};
    s2.minus = {false, true, false, true, false, false, true, false};
    l = {};
    AppendChainLine(s2, "04/", 2, l.subject, &l.answer);
    EXPECT_EQ(l.subject, "04/(-3) - (+5) + (-2) - (-8) + (+1) + (+6) - (+4) + (-7) = <br><br><br>");
    EXPECT_EQ(l.answer, "04/(-3) - (+5) + (-2) - (-8) + (+1) + (+6) - (+4) + (-7) = "
                        "<cf=jaune>(-6)<cf=auto><br><br><br>");

    ChainLine zero;
    zero.terms = {1, -1, 2, -2, 3, -3, 4, -4};
    l = {};
    AppendChainLine(zero, "01/", 1, l.subject, &l.answer);
    EXPECT_NE(l.answer.find("= <cf=jaune>(0)<cf=auto><br><br>"), std::string::npos);

    ChainLine big;
    big.terms = {499, 499, 23, 0, 0, 0, 0, 0};
    EXPECT_EQ(big.total(), 1021);
    l = {};
    AppendChainLine(big, "01/", 1, l.subject, nullptr);
    EXPECT_TRUE(l.answer.empty());
    Lines withAnswer;
    AppendChainLine(big, "01/", 1, withAnswer.subject, &withAnswer.answer);
    EXPECT_NE(withAnswer.answer.find("(+1 021)"), std::string::npos);
}

// S2 draws its first term before the counter moves; S1 and the paired drills
// advance the counter first.
TEST(ChainDrills, CounterMovesBeforeOrAfterTheFirstTerm)
{
    for (Drill drill : {Drill::S1, Drill::S2, Drill::Plus}) {
        Worksheet ws;
        FakeHost host;
        host.lines = 1;
        host.subjectLines = host.answerLines = 5; // no header draws
        host.watchedRandom = &ws.random();
        ws.random().seed(99);
        ws.runDrill(drill, host);
        ASSERT_EQ(host.statesAtCaption.size(), 1u);
        RandomSource replay(99);
        if (drill == Drill::S2)
            DrawOperand(replay, 100);
        EXPECT_EQ(host.statesAtCaption[0], replay.state());
    }
}

TEST(ChainDrills, S2OperatorsAreDrawnAfterTheirTerm)
{
    RandomSource a(5);
    RandomSource b(5);
    const ChainLine line = DrawChainTail(a, 17, true, 100);
    EXPECT_EQ(line.terms[0], 17);
    EXPECT_FALSE(line.minus[0]);
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(line.terms[i], DrawOperand(b, 100));
        EXPECT_EQ(line.minus[i], b.draw(2) == 1);
    }
    EXPECT_EQ(a.state(), b.state());
}
