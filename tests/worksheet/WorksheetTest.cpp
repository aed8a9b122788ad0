#include "FakeHost.h"
#include "MarkupToRtf.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace oxeln;
using oxeln::test::FakeHost;
using oxeln::test::findSeed;
using oxeln::test::occurrences;

namespace {

const std::string SubjectHeader42917 =
    "<arial><te=20>Ref 042_917 - <b>T1</b><br>T2<br><b>T3</b><br><br><courier><te=18>";
const std::string AnswerHeader42917 =
    "<arial><te=20>Ref 042_917 -<b> CORRIGE - T1</b><br>T2<br><b>T3</b><br><br><courier><te=18>";

std::uint32_t seedFor42And917()
{
    return findSeed([](RandomSource &r) { return r.draw(1000) == 42 && r.draw(1000) == 917; });
}

} // namespace

TEST(RandomSource, DrawsFromStateZero)
{
    RandomSource random(0);
    EXPECT_EQ(random.draw(1000), 0u);
    EXPECT_EQ(random.draw(1000), 31u);
    EXPECT_EQ(random.draw(1000), 861u);
    EXPECT_EQ(random.draw(1000), 202u);
    RandomSource single(0);
    single.draw(1);
    EXPECT_EQ(single.state(), 1u); // 0 * 134775813 + 1
    single.draw(1);
    EXPECT_EQ(single.state(), 134775814u);
}

TEST(MetDebut, WorkedExampleAndReferenceCode)
{
    Worksheet ws;
    ws.random().seed(seedFor42And917());
    FakeHost host;
    ws.MetDebut(host);
    EXPECT_EQ(ws.referenceCode(), "Ref 042_917");
    EXPECT_EQ(ws.subject(), SubjectHeader42917);
    EXPECT_EQ(ws.answer(), AnswerHeader42917);
    EXPECT_EQ(ws.counter(), 0);
    EXPECT_TRUE(host.captions.empty());

    Worksheet zero;
    FakeHost other;
    zero.MetDebut(other);
    EXPECT_EQ(zero.referenceCode(), "Ref 000_031");

    Worksheet five;
    five.random().seed(findSeed([](RandomSource &r) { return r.draw(1000) == 0 && r.draw(1000) == 5; }));
    five.MetDebut(other);
    EXPECT_EQ(five.referenceCode(), "Ref 000_005");

    Worksheet emptyTitles;
    emptyTitles.random().seed(seedFor42And917());
    FakeHost blank;
    blank.titles[0] = blank.titles[1] = blank.titles[2] = "";
    emptyTitles.MetDebut(blank);
    EXPECT_EQ(emptyTitles.subject(),
              "<arial><te=20>Ref 042_917 - <b></b><br><br><b></b><br><br><courier><te=18>");
}

TEST(MetDebut, ReferenceCodeAlwaysElevenBytes)
{
    FakeHost host;
    for (std::uint32_t seed = 0; seed < 5000; seed += 7) {
        Worksheet ws;
        ws.random().seed(seed * 2654435761u);
        ws.MetDebut(host);
        const std::string &code = ws.referenceCode();
        ASSERT_EQ(code.size(), 11u);
        ASSERT_EQ(code.substr(0, 4), "Ref ");
        ASSERT_EQ(code[7], '_');
    }
}

TEST(MetDebut, EachDocumentRestartsOnItsOwnView)
{
    Worksheet ws;
    ws.random().seed(seedFor42And917());
    FakeHost host;
    host.subjectLines = 2; // two lines: not empty
    host.answerLines = 1;  // one line: empty
    ws.MetDebut(host);
    EXPECT_EQ(ws.referenceCode(), "");
    EXPECT_EQ(ws.subject(), "");
    EXPECT_EQ(ws.answer().rfind("<arial><te=20> -<b> CORRIGE - T1</b>", 0), 0u);
    EXPECT_EQ(ws.random().state(), seedFor42And917()); // nothing drawn

    host.subjectLines = 0;
    host.answerLines = 3;
    const std::string answerBefore = ws.answer();
    ws.MetDebut(host);
    EXPECT_EQ(ws.referenceCode(), "Ref 042_917");
    EXPECT_EQ(ws.subject(), SubjectHeader42917);
    EXPECT_EQ(ws.answer(), answerBefore);

    // Answer key off: the answer document is left alone even on an empty view.
    host.answerLines = 0;
    host.answerKey = false;
    ws.MetDebut(host);
    EXPECT_EQ(ws.answer(), answerBefore);
    EXPECT_NE(ws.referenceCode(), "Ref 042_917");
}

TEST(QuestionCounter, CaptionsPrefixesAndReset)
{
    Worksheet ws;
    FakeHost host;
    EXPECT_EQ(host.caption, "00"); // the window's own caption before any line
    ws.advanceCounter(host);
    EXPECT_EQ(host.caption, "1");
    EXPECT_EQ(ws.linePrefix(), "01/");
    for (int i = 0; i < 8; ++i)
        ws.advanceCounter(host);
    EXPECT_EQ(ws.linePrefix(), "09/");
    ws.advanceCounter(host);
    EXPECT_EQ(ws.linePrefix(), "10/");
    EXPECT_EQ(host.caption, "10");
    while (ws.counter() < 100)
        ws.advanceCounter(host);
    EXPECT_EQ(ws.linePrefix(), "100/");
    EXPECT_EQ(host.caption, "100");
    while (ws.counter() < 143)
        ws.advanceCounter(host);
    EXPECT_EQ(ws.linePrefix(), "143/");
    ws.resetCounter(host);
    EXPECT_EQ(ws.counter(), 0);
    EXPECT_EQ(host.caption, "0");
}

TEST(DrawOperand, RangesAndSmallMaxima)
{
    RandomSource random(123);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(DrawOperand(random, 2), 1);

    std::map<int, int> seen;
    for (int i = 0; i < 20000; ++i)
        ++seen[DrawOperand(random, 3)];
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[-1], 10000, 400);
    EXPECT_NEAR(seen[1], 10000, 400);

    const std::pair<int, std::pair<int, int>> ranges[] = {
        {10, {-4, 5}}, {11, {-5, 5}}, {100, {-49, 50}}, {999, {-499, 499}}};
    for (const auto &[v, bounds] : ranges) {
        std::map<int, int> values;
        for (int i = 0; i < 60 * v; ++i)
            ++values[DrawOperand(random, v)];
        EXPECT_EQ(values.count(0), 0u) << v;
        EXPECT_EQ(values.begin()->first, bounds.first) << v;
        EXPECT_EQ(values.rbegin()->first, bounds.second) << v;
        EXPECT_EQ(values.size(), static_cast<std::size_t>(v - 1)) << v; // every value reached
    }
}

TEST(DrillFrame, StepsInOrderAndViewsFromTheDocuments)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 3;
    ws.runDrill(Drill::Plus, host);
    const std::vector<std::string> expected = {
        "hidePreview", "subjectLineCount", "answerLineCount", "maxValue", "lineCount",
        "interlineCount", "setSubjectRtf", "setAnswerRtf"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.subjectRtf, MarkupToRtf(ws.subject()));
    EXPECT_EQ(host.answerRtf, MarkupToRtf(ws.answer()));
    EXPECT_EQ(ws.referenceCode(), "Ref 000_031");
    EXPECT_NE(ws.subject().find("<courier><te=18>01/("), std::string::npos);
    EXPECT_NE(ws.answer().find("<courier><te=18>01/("), std::string::npos);
    EXPECT_EQ(host.captions, (std::vector<std::string>{"1", "2", "3"}));
}

TEST(DrillFrame, LineAndInterlineCounts)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 40;
    host.interline = 5;
    ws.runDrill(Drill::Mult, host);
    EXPECT_EQ(ws.counter(), 40);
    EXPECT_NE(ws.subject().find("40/("), std::string::npos);
    EXPECT_EQ(occurrences(ws.subject(), "<br><br><br><br><br>"), 40u);
    // 4 header breaks + per line: 1 ending the line and 5 interline
    EXPECT_EQ(occurrences(ws.subject(), "<br>"), 4u + 40u * 6u);
    EXPECT_EQ(occurrences(ws.answer(), "<br>"), 4u + 40u * 6u);

    host.lines = 0;
    const std::string before = ws.subject();
    host.subjectSets = 0;
    ws.runDrill(Drill::S1, host);
    EXPECT_EQ(ws.subject(), before);
    EXPECT_EQ(host.subjectSets, 1); // views rewritten even without lines
}

TEST(DrillFrame, ChainingContinuesNumberingAndWorksheet)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 2;
    ws.runDrill(Drill::Plus, host);
    const std::string code = ws.referenceCode();
    const std::string first = ws.subject();
    ws.runDrill(Drill::S2, host);
    ws.runDrill(Drill::Power, host);
    EXPECT_EQ(ws.referenceCode(), code);
    EXPECT_EQ(ws.subject().rfind(first, 0), 0u);
    EXPECT_NE(ws.subject().find("03/("), std::string::npos);
    EXPECT_NE(ws.subject().find("06/("), std::string::npos);
    EXPECT_EQ(occurrences(ws.subject(), "<arial>"), 1u);
    EXPECT_EQ(occurrences(ws.answer(), "CORRIGE"), 1u);
}

TEST(DrillFrame, RazStartsANewWorksheetNumberedFromOne)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 3;
    ws.runDrill(Drill::Minus, host);
    const std::string oldCode = ws.referenceCode();
    const std::string oldSubject = ws.subject();

    host.clearViews();
    ws.resetCounter(host);
    EXPECT_EQ(ws.subject(), oldSubject); // RAZ leaves the documents
    EXPECT_EQ(host.caption, "0");

    ws.runDrill(Drill::Divide, host);
    EXPECT_NE(ws.referenceCode(), oldCode);
    EXPECT_EQ(ws.subject().rfind("<arial><te=20>" + ws.referenceCode(), 0), 0u);
    EXPECT_EQ(ws.answer().rfind("<arial><te=20>" + ws.referenceCode() + " -<b> CORRIGE", 0), 0u);
    EXPECT_EQ(occurrences(ws.subject(), "01/("), 1u);
    EXPECT_EQ(ws.subject().find(" - ("), std::string::npos); // no trace of the subtractions
}

TEST(DrillFrame, HandEmptiedSubjectViewRestartsOnlyTheSubject)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 2;
    ws.runDrill(Drill::Plus, host);
    const std::string oldCode = ws.referenceCode();
    const std::string oldAnswer = ws.answer();

    host.subjectLines = 0;
    ws.runDrill(Drill::Plus, host);
    EXPECT_NE(ws.referenceCode(), oldCode);
    EXPECT_EQ(ws.answer().rfind(oldAnswer, 0), 0u); // old header and lines kept
    EXPECT_EQ(ws.subject().find("01/"), std::string::npos);
    EXPECT_NE(ws.subject().find("03/("), std::string::npos);
    EXPECT_NE(ws.answer().find("04/("), std::string::npos);
}

TEST(DrillFrame, HandTypedSubjectAtFirstRunKeepsEmptyReference)
{
    Worksheet ws;
    FakeHost host;
    host.subjectLines = 4;
    host.lines = 1;
    ws.runDrill(Drill::Plus, host);
    EXPECT_EQ(ws.referenceCode(), "");
    EXPECT_EQ(ws.subject().rfind("01/(", 0), 0u);
    EXPECT_EQ(ws.answer().rfind("<arial><te=20> -<b> CORRIGE - ", 0), 0u);
}

TEST(DrillFrame, AnswerKeyOffLeavesAnswerButRewritesBothViews)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 2;
    ws.runDrill(Drill::Plus, host);
    const std::string answerBefore = ws.answer();
    host.answerKey = false;
    for (Drill d : {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power, Drill::Divide, Drill::S1, Drill::S2})
        ws.runDrill(d, host);
    EXPECT_EQ(ws.answer(), answerBefore);
    EXPECT_EQ(host.answerSets, 8);
    EXPECT_EQ(host.answerRtf, MarkupToRtf(answerBefore));
    EXPECT_EQ(ws.counter(), 16);

    Worksheet fresh;
    FakeHost off;
    off.answerKey = false;
    off.lines = 1;
    fresh.runDrill(Drill::S1, off);
    EXPECT_EQ(fresh.answer(), "");
    EXPECT_EQ(off.answerRtf, std::string(RtfHeader) + "}");
}

TEST(DrillFrame, NestedDrillInsideSubjectChange)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 2;
    ws.runDrill(Drill::Mult, host);
    host.calls.clear();
    host.onSubjectChange = [&] { ws.runDrill(Drill::S1, host); };
    ws.runDrill(Drill::Plus, host);

    EXPECT_EQ(ws.counter(), 6);
    EXPECT_EQ(host.calls.back(), "setAnswerRtf");
    EXPECT_EQ(host.subjectSets, 3);
    EXPECT_EQ(host.answerSets, 3);
    // The outer drill converts the answer after the nested one returned, so
    // the answer view ends with all six lines, in order.
    EXPECT_EQ(host.subjectRtf, MarkupToRtf(ws.subject()));
    EXPECT_EQ(host.answerRtf, MarkupToRtf(ws.answer()));
    std::size_t at = 0;
    for (const char *prefix : {"01/(", "02/(", "03/(", "04/(", "05/(", "06/("}) {
        const std::size_t next = ws.answer().find(prefix, at);
        ASSERT_NE(next, std::string::npos) << prefix;
        at = next;
    }
}

// During the first drill the answer view still holds its initial line, so a
// drill nested in the subject's change starts the answer document afresh.
TEST(DrillFrame, NestedDrillDuringFirstDrillRestartsAnswer)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 2;
    host.onSubjectChange = [&] { ws.runDrill(Drill::S1, host); };
    ws.runDrill(Drill::Plus, host);
    EXPECT_EQ(ws.counter(), 4);
    EXPECT_EQ(host.answerRtf, MarkupToRtf(ws.answer()));
    EXPECT_EQ(occurrences(ws.answer(), "CORRIGE"), 1u);
    EXPECT_EQ(ws.answer().find("01/("), std::string::npos);
    EXPECT_NE(ws.answer().find("03/("), std::string::npos);
    EXPECT_NE(ws.subject().find("01/("), std::string::npos);
}

// Any sequence of clicks (drills of any kind and size, RAZ, a subject view
// emptied by hand, the answer key switched, drills nested in the subject's
// change): each view gets exactly the whole documents' conversion, and the
// texts of one stream keep what they promised, so a view may read only
// their new end.
TEST(DrillFrame, ViewsGetTheWholeConversionAfterAnyClicks)
{
    std::mt19937 gen(23);
    const auto below = [&gen](int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen); };
    for (int run = 0; run < 40; ++run) {
        Worksheet ws;
        ws.random().seed(static_cast<std::uint32_t>(run));
        FakeHost host;
        for (int click = 0; click < 60; ++click) {
            host.lines = 1 + below(6);
            host.interline = 1 + below(3);
            switch (below(10)) {
            case 0:
                host.clearViews(); // RAZ
                ws.resetCounter(host);
                continue;
            case 1:
                host.subjectLines = 0; // emptied by hand
                break;
            case 2:
                host.answerKey = !host.answerKey;
                break;
            case 3:
                host.onSubjectChange = [&] { ws.runDrill(static_cast<Drill>(below(7)), host); };
                break;
            default:
                break;
            }
            ws.runDrill(static_cast<Drill>(below(7)), host);
            ASSERT_EQ(host.subjectRtf, MarkupToRtf(ws.subject())) << run << " " << click;
            ASSERT_EQ(host.answerRtf, MarkupToRtf(ws.answer())) << run << " " << click;
        }
        EXPECT_EQ(host.brokenStreams, 0);
    }
}
