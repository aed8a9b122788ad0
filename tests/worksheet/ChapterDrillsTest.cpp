// The options of the drills and the drills of the rest of the chapter, on
// known questions: the texts a teacher reads, byte for byte.
#include "BlankDrills.h"
#include "ChainDrills.h"
#include "Expression.h"
#include "FakeHost.h"
#include "PairedDrills.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

#include <set>

using namespace oxeln;
using oxeln::test::FakeHost;

namespace {

std::string pad(const std::string &text, std::size_t spaces) { return text + std::string(spaces, ' '); }

struct Lines
{
    std::string subject;
    std::string answer;
};

Lines paired(Drill drill, const PairedLine &line, Writing writing)
{
    Lines out;
    AppendPairedLine(drill, line, "01/", LineStyle{writing, 1, 1}, out.subject, &out.answer);
    return out;
}

} // namespace

TEST(DrillOptions, NamesBothWaysAndRefusalsNameTheAcceptedValues)
{
    for (Writing w : {Writing::Parentheses, Writing::Negatives, Writing::Simplified})
        EXPECT_EQ(ParseWriting(WritingName(w)).value, w);
    for (SignMix s : {SignMix::Random, SignMix::OneNegative, SignMix::AllNegative})
        EXPECT_EQ(ParseSignMix(SignMixName(s)).value, s);
    EXPECT_EQ(WritingName(Writing::Simplified), "simplifiee");
    EXPECT_EQ(SignMixName(SignMix::OneNegative), "un-negatif");

    const OptionValue<Writing> bad = ParseWriting("Negatifs");
    EXPECT_FALSE(bad.value);
    EXPECT_EQ(bad.error, "valeur inconnue \xAB Negatifs \xBB (valeurs accept\xE9"
                         "es : parentheses, negatifs, simplifiee)");
    EXPECT_NE(ParseSignMix("").error.find("hasard, un-negatif, negatifs"), std::string::npos);

    EXPECT_EQ(ParseOptionNumber("58", 1, 58).value, 58);
    for (const char *text : {"0", "59", "-3", "3.0", "", "99999999999999"})
        EXPECT_FALSE(ParseOptionNumber(text, 1, 58).value) << text;
    EXPECT_EQ(ParseOptionNumber("x", 1, 58).error, "attend un nombre de 1 \xE0 58, pas \xAB x \xBB");

    DrillOptions o;
    o.smallest = 150;
    o.largestExponent = 99;
    EXPECT_EQ(o.normalized(100).smallest, 100);
    EXPECT_EQ(o.normalized(100).largestExponent, 58);
    EXPECT_EQ(DrillOptions{}.normalized(100), DrillOptions{});
}

TEST(WritingModes, PairedCellsAndAnswers)
{
    const PairedLine sums{{{-6, 5}, {4, -3}, {-6, -5}, {0, 7}}};
    Lines l = paired(Drill::Plus, sums, Writing::Negatives);
    EXPECT_EQ(l.subject.substr(0, 3 + 26), "01/" + pad("(-6) + 5 = ", 15));
    EXPECT_EQ(l.subject.substr(29, 26), pad("4 + (-3) = ", 15));
    EXPECT_EQ(l.answer.substr(0, 3 + 45), "01/" + pad("(-6)+5=<cf=jaune>-1<cf=auto>", 17));
    EXPECT_EQ(l.answer.substr(48, 45), pad("4+(-3)=<cf=jaune>1<cf=auto>", 18));

    l = paired(Drill::Plus, sums, Writing::Simplified);
    EXPECT_EQ(l.subject.substr(3, 26), pad("-6 + 5 = ", 17));
    EXPECT_EQ(l.subject.substr(29, 26), pad("4 - 3 = ", 18));
    EXPECT_EQ(l.subject.substr(55, 26), pad("-6 - 5 = ", 17));
    EXPECT_EQ(l.answer.substr(93, 45), pad("-6-5=<cf=jaune>-11<cf=auto>", 18));
    l = paired(Drill::Minus, sums, Writing::Simplified); // "- (-3)" is "+ 3"
    EXPECT_EQ(l.subject.substr(29, 26), pad("4 + 3 = ", 18));

    // Products, quotients and powers keep the brackets they need.
    l = paired(Drill::Mult, {{{-6, -5}, {4, -3}, {1, 1}, {1, 1}}}, Writing::Simplified);
    EXPECT_EQ(l.subject.substr(3, 26), pad("-6 x (-5) = ", 14));
    EXPECT_EQ(l.answer.substr(3, 45), pad("-6x(-5)=<cf=jaune>30<cf=auto>", 16));
    l = paired(Drill::Divide, {{{-7, 2}, {0, -3}, {1, 1}, {1, 1}}}, Writing::Negatives);
    EXPECT_EQ(l.answer.substr(3, 45), pad("(-7):2=<cf=jaune>/<cf=auto>", 18));
    EXPECT_EQ(l.answer.substr(48, 45), pad("0:(-3)=<cf=jaune>0<cf=auto>", 18));
    for (Writing w : {Writing::Negatives, Writing::Simplified}) {
        l = paired(Drill::Power, {{{-3, 2}, {2, 3}, {1, 1}, {1, 1}}}, w);
        EXPECT_EQ(l.subject.substr(3, 38), pad("(-3)<sup>2</sup> = ", 19));
        EXPECT_EQ(l.answer.substr(3 + 57, 57), pad("2<sup>3</sup> = <cf=jaune>8<cf=auto>", 21));
    }
}

TEST(WritingModes, ChainsAndTheListReadAsTheSubject)
{
    ChainLine s2;
    s2.terms = {-3, 5, -2, -8, 1, 6, 4, -7};
    s2.minus = {false, true, false, true, false, false, true, false};
    Lines l;
    AppendChainLine(s2, "04/", LineStyle{Writing::Simplified, 2, 0}, l.subject, &l.answer);
    EXPECT_EQ(l.subject, "04/-3 - 5 - 2 + 8 + 1 + 6 - 4 - 7 = <br><br><br>");
    // The compact key keeps the line's break, not the interline.
    EXPECT_EQ(l.answer, "04/-3 - 5 - 2 + 8 + 1 + 6 - 4 - 7 = <cf=jaune>-6<cf=auto><br>");
    std::string joined;
    for (const QuestionPart &part : ChainQuestion(Drill::S2, s2, 4, Writing::Simplified).parts())
        joined += part.text;
    EXPECT_EQ(joined, "-3 - 5 - 2 + 8 + 1 + 6 - 4 - 7");
    EXPECT_EQ(ChainQuestion(Drill::S2, s2, 4, Writing::Negatives).answer(), "-6");
}

TEST(MissingTerms, BlankEitherSideAndTheWholeEqualityInTheKey)
{
    const MissingTermLine line{{{-3, 8, 1}, {-3, 8, 0}, {1, 1, 0}, {1, 1, 0}}};
    Lines l;
    AppendMissingTermLine(Drill::MissingPlus, line, "01/", LineStyle{Writing::Parentheses, 1, 1}, l.subject, &l.answer);
    EXPECT_EQ(l.subject.substr(0, 3 + 26 + 26), "01/" + pad("(-3) + ... = (+5)", 9) + pad("... + (+8) = (+5)", 9));
    EXPECT_EQ(l.answer.substr(0, 3 + 45), "01/" + pad("(-3)+<cf=jaune>(+8)<cf=auto>=(+5)", 12));
    EXPECT_EQ(l.answer.substr(48, 45), pad("<cf=jaune>(-3)<cf=auto>+(+8)=(+5)", 12));
    EXPECT_EQ(l.subject.substr(l.subject.size() - 8), "<br><br>"); // last cell unpadded

    // A missing negative after an operator keeps its brackets in every mode.
    Question q = MissingTermQuestion(Drill::MissingMinus, {-3, -8, 1}, 1, 1, Writing::Simplified);
    std::string joined;
    for (const QuestionPart &part : q.parts())
        joined += part.text;
    EXPECT_EQ(joined, "-3 - ... = 5");
    EXPECT_EQ(q.answer(), "(-8)");
    EXPECT_EQ(q.expected(), (Expected{Expected::Kind::Number, -8, 0}));
    EXPECT_EQ(q.parts()[2].kind, QuestionPart::Kind::Blank);

    q = MissingTermQuestion(Drill::MissingDivide, {-12, 4, 1}, 1, 1, Writing::Parentheses);
    EXPECT_EQ(q.markup(), "(-12) : ... = (-3)");
    EXPECT_EQ(q.expected().value, 4);
}

TEST(Comparisons, SignsAndLessThanWrittenSoTheMarkupKeepsIt)
{
    const ComparisonLine line{{{-7, 3}, {5, -5}, {-4, -4}, {1, 1}, {1, 1}}};
    Lines l;
    AppendComparisonLine(line, "01/", LineStyle{Writing::Negatives, 1, 1}, l.subject, &l.answer);
    EXPECT_EQ(l.subject.substr(0, 3 + 19 * 3), "01/" + pad("(-7) ... 3", 9) + pad("5 ... (-5)", 9) + pad("(-4) ... (-4)", 6));
    EXPECT_EQ(l.answer.substr(0, 33 + 11), "01/(-7) <cf=jaune><lt><cf=auto> 3" + std::string(11, ' '));
    // "<" reaches the RTF as an escape, not as a tag that would swallow it.
    EXPECT_NE(MarkupToRtf(l.answer).find("(-7) \\highlight12 \\'3c\\highlight0  3"), std::string::npos);
    EXPECT_NE(l.answer.find("5 <cf=jaune>><cf=auto> (-5)"), std::string::npos);
    EXPECT_NE(l.answer.find("(-4) <cf=jaune>=<cf=auto> (-4)"), std::string::npos);
    const Question q = ComparisonQuestion(line[0], 1, 1, Writing::Simplified);
    EXPECT_EQ(q.markup(), "-7 ... 3");
    EXPECT_EQ(q.answer(), "<");
    EXPECT_EQ(q.expected(), (Expected{Expected::Kind::Relation, 0, '<'}));
}

TEST(OrderOfOperations, NestedBracketsAndTheStepInTheKey)
{
    Expression e; // (-3) x [(+4) - ((-5) + (+1)) x (-2)]
    e.count = 5;
    e.numbers = {-3, 4, -5, 1, -2};
    e.ops = {'x', '-', '+', 'x'};
    e.groupCount = 2;
    e.groups[0] = {2, 3, false};
    e.groups[1] = {1, 4, true};
    ASSERT_EQ(e.value(10000), -3 * (4 - (-5 + 1) * -2));
    Lines l;
    AppendExpressionLine(Drill::P2, e, "01/", LineStyle{Writing::Parentheses, 1, 1}, l.subject, &l.answer);
    EXPECT_EQ(l.subject, "01/(-3) x [(+4) - ((-5) + (+1)) x (-2)] = <br><br>");
    EXPECT_EQ(l.answer, "01/(-3) x [(+4) - ((-5) + (+1)) x (-2)] = (-3) x (-4) = <cf=jaune>(+12)<cf=auto><br><br>");

    const Question q = ExpressionQuestion(Drill::P2, e, 1, Writing::Simplified);
    EXPECT_EQ(q.markup(), "-3 x [4 - (-5 + 1) x (-2)]");
    EXPECT_EQ(q.parts()[2], (QuestionPart{QuestionPart::Kind::Bracket, "["}));
    EXPECT_EQ(q.answer(), "12");
    QuestionList list;
    list.push_back(q);
    EXPECT_EQ(list[0], q);

    // A division's divisor is chosen so that it is exact; each group matters.
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        RandomSource random(seed);
        DrillOptions o;
        o.smallest = 2;
        OperandDraw draw(random, 30, o);
        const Expression d = DrawExpression(draw, seed % 2 ? Drill::P1 : Drill::P2);
        ASSERT_TRUE(d.value(900)) << seed;
        for (std::uint8_t g = 0; g < d.groupCount; ++g) {
            Expression without = d;
            without.groups[g] = without.groups[--without.groupCount];
            EXPECT_NE(without.value(900), d.value(900)) << seed;
        }
    }
}

TEST(DrillFrameOptions, CompactKeyRepeatsAndTheNotice)
{
    FakeHost plain;
    FakeHost compact;
    compact.options.compactAnswer = true;
    Worksheet a;
    Worksheet b;
    a.runDrill(Drill::Mult, plain);
    b.runDrill(Drill::Mult, compact);
    EXPECT_EQ(a.subject(), b.subject());
    EXPECT_EQ(b.answer().find("<br><br><br>"), std::string::npos);
    EXPECT_GT(a.answer().size(), b.answer().size());

    // Ten values give 81 different sums: 40 lines of four cannot all differ.
    // The drill is filled anyway and says so once.
    FakeHost small;
    small.maxV = 10;
    small.lines = 40;
    small.options.noDuplicates = true;
    Worksheet ws;
    ws.runDrill(Drill::Plus, small);
    EXPECT_EQ(ws.questions().size(), 160u);
    ASSERT_EQ(small.notices.size(), 1u);
    EXPECT_EQ(small.notices[0], NotEnoughQuestionsNotice());
    std::set<std::pair<int, int>> distinct;
    for (const Question &q : ws.questions())
        distinct.insert({q.numbers[0], q.numbers[1]});
    EXPECT_EQ(distinct.size(), 81u); // every one of them, before any repeat

    // Questions of an earlier drill without the option count as asked.
    FakeHost wide;
    wide.maxV = 12;
    wide.lines = 9;
    Worksheet chained;
    chained.runDrill(Drill::Minus, wide);
    wide.options.noDuplicates = true;
    wide.lines = 15;
    chained.runDrill(Drill::Minus, wide);
    std::set<std::pair<int, int>> seen;
    std::size_t repeatsInFirst = 36 - [&] {
        std::set<std::pair<int, int>> first;
        for (std::size_t i = 0; i < 36; ++i)
            first.insert({chained.questions()[i].numbers[0], chained.questions()[i].numbers[1]});
        return first.size();
    }();
    for (const Question &q : chained.questions())
        seen.insert({q.numbers[0], q.numbers[1]});
    EXPECT_EQ(seen.size(), chained.questions().size() - repeatsInFirst); // 96 of the 121 pairs
    EXPECT_TRUE(wide.notices.empty());
}

TEST(WritingModes, WidestQuestionsAtMaxValue999KeepTheirColumns)
{
    // With a smallest value, operands reach 999; a dividend 998 001 + 998.
    const PairedLine operands{{{-999, -999}, {-999, 999}, {999, -999}, {1, 1}}};
    const PairedLine divisions{{{-998'999, -999}, {998'001, -999}, {-998'001, 999}, {1, 1}}};
    const MissingTermLine product{{{-999, -999, 1}, {-999, -999, 0}, {-999, 999, 1}, {1, 1, 0}}};
    const MissingTermLine quotient{{{-998'001, -999, 1}, {-998'001, -999, 0}, {998'001, 999, 1}, {1, 1, 0}}};
    const ComparisonLine compared{{{-999, -999}, {-999, 999}, {999, -999}, {1, 1}, {1, 1}}};
    for (Writing w : {Writing::Parentheses, Writing::Negatives, Writing::Simplified}) {
        std::vector<std::pair<std::string, std::size_t>> lines; // markup, column
        for (Drill d : {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Divide}) {
            Lines l = paired(d, d == Drill::Divide ? divisions : operands, w);
            lines.push_back({l.subject, 26});
            lines.push_back({l.answer, 26});
        }
        for (Drill d : {Drill::MissingMult, Drill::MissingDivide}) {
            Lines l;
            AppendMissingTermLine(d, d == Drill::MissingMult ? product : quotient, "01/", LineStyle{w, 1, 1}, l.subject,
                                  &l.answer);
            lines.push_back({l.subject, 26});
            lines.push_back({l.answer, 26});
        }
        Lines c;
        AppendComparisonLine(compared, "01/", LineStyle{w, 1, 1}, c.subject, &c.answer);
        lines.push_back({c.subject, 19});
        lines.push_back({c.answer, 19});
        for (const auto &[markup, column] : lines) {
            // Cells 2 to 4 start a column apart, each after a space.
            std::size_t at = 3;
            for (int cell = 1; cell <= 3; ++cell) {
                for (std::size_t room = 0; room < column;) {
                    if (markup.compare(at, 4, "<lt>") == 0) {
                        at += 4;
                        ++room;
                    } else if (markup[at] == '<') {
                        at = markup.find('>', at) + 1;
                    } else {
                        ++at;
                        ++room;
                    }
                }
                EXPECT_EQ(markup[at - 1], ' ') << markup;
                EXPECT_NE(markup[at], ' ') << markup;
            }
        }
    }
}
