// The list of drawn questions kept beside the documents: each question must
// read exactly as the subject writes it and answer exactly as the answer key
// highlights it, and the list must live and restart with the subject.
#include "ChainDrills.h"
#include "FakeHost.h"
#include "PairedDrills.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

#include <random>

using namespace oxeln;
using oxeln::test::FakeHost;

namespace {

using Kind = QuestionPart::Kind;

// The highlighted texts of the answer document, in order.
std::vector<std::string> highlighted(const std::string &answer)
{
    std::vector<std::string> out;
    const std::string open = "<cf=jaune>";
    const std::string close = "<cf=auto>";
    for (std::size_t at = answer.find(open); at != std::string::npos; at = answer.find(open, at)) {
        at += open.size();
        const std::size_t end = answer.find(close, at);
        out.push_back(answer.substr(at, end - at));
    }
    return out;
}

std::string prefix(int line)
{
    return (line < 10 ? "0" : "") + std::to_string(line) + "/";
}

// Walks the subject: every question sits at its line's prefix (place 1) or
// right after the previous cell's padding, followed by " = ".
void expectQuestionsInSubject(const Worksheet &ws)
{
    const std::string &subject = ws.subject();
    std::size_t at = 0;
    for (const Question &q : ws.questions()) {
        const std::string text = q.markup() + " = ";
        if (q.place == 1) {
            at = subject.find(prefix(q.line) + "(", at);
            ASSERT_NE(at, std::string::npos) << "line " << q.line;
            at += prefix(q.line).size();
        } else {
            while (subject[at] == ' ')
                ++at;
        }
        ASSERT_EQ(subject.compare(at, text.size(), text), 0)
            << "line " << q.line << " place " << q.place << ": " << subject.substr(at, text.size());
        at += text.size();
    }
}

} // namespace

TEST(QuestionList, ReadsAsTheSubjectAndAnswersAsTheKey)
{
    const Drill drills[] = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power,
                            Drill::Divide, Drill::S1, Drill::S2};
    std::mt19937 gen(13);
    for (int round = 0; round < 40; ++round) {
        Worksheet ws;
        ws.random().seed(static_cast<std::uint32_t>(gen()));
        FakeHost host;
        host.maxV = round % 2 ? 999 : 100;
        std::size_t expected = 0;
        for (int d = 0; d < 3; ++d) {
            host.lines = 1 + static_cast<int>(gen() % 12);
            const Drill drill = drills[gen() % 7];
            ws.runDrill(drill, host);
            expected += static_cast<std::size_t>(host.lines) * (drill == Drill::S1 || drill == Drill::S2 ? 1 : 4);
        }
        ASSERT_EQ(ws.questions().size(), expected);
        EXPECT_EQ(ws.questions().back().line, ws.counter());

        std::vector<std::string> answers;
        for (const Question &q : ws.questions()) {
            answers.push_back(q.answer());
            // The value a page checks against says what the key's text says.
            const Expected e = q.expected();
            if (e.kind == Expected::Kind::NoQuotient) {
                EXPECT_EQ(q.answer(), "(/)");
            } else {
                ASSERT_EQ(e.kind, Expected::Kind::Number);
                std::string digits;
                for (char c : q.answer())
                    if ((c >= '0' && c <= '9') || c == '-')
                        digits.push_back(c);
                EXPECT_EQ(std::stoll(digits), e.value) << q.answer();
            }
        }
        EXPECT_EQ(answers, highlighted(ws.answer())) << "round " << round;
        expectQuestionsInSubject(ws);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(QuestionList, PairedPowersDivisionsAndChainsInParts)
{
    PairedLine line{{{5, 3}, {-2, 0}, {0, 37}, {-464, 3}}};
    QuestionList list;
    AppendPairedQuestions(Drill::Power, line, 7, list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].parts(), (std::vector<QuestionPart>{{Kind::Term, "(+5)"}, {Kind::Exponent, "3"}}));
    EXPECT_EQ(list[0].markup(), "(+5)<sup>3</sup>");
    EXPECT_EQ(list[0].answer(), "(+125)");
    EXPECT_EQ(list[1].answer(), "(+1)");
    EXPECT_EQ(list[2].answer(), "(0)");
    EXPECT_EQ(list[3].answer(), "(-99 897 344)");
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(list[k].line, 7);
        EXPECT_EQ(list[k].place, k + 1);
    }

    line = {{{-5, -4}, {4950, 50}, {0, 7}, {6, -3}}};
    list.clear();
    AppendPairedQuestions(Drill::Divide, line, 12, list);
    EXPECT_EQ(list[0].parts(), (std::vector<QuestionPart>{{Kind::Term, "(-5)"}, {Kind::Operator, " : "},
                                                        {Kind::Term, "(-4)"}}));
    EXPECT_EQ(list[0].answer(), "(/)");
    EXPECT_EQ(list[1].markup(), "(+4 950) : (+50)");
    EXPECT_EQ(list[1].answer(), "(+99)");
    EXPECT_EQ(list[2].answer(), "(0)");
    EXPECT_EQ(list[3].answer(), "(-2)");

    ChainLine chain;
    chain.terms = {-3, 5, -2, -8, 1, 6, 4, -7};
    chain.minus = {false, true, false, true, false, false, true, false};
    const Question q = ChainQuestion(Drill::S2, chain, 4);
    EXPECT_EQ(q.markup(), "(-3) - (+5) + (-2) - (-8) + (+1) + (+6) - (+4) + (-7)");
    EXPECT_EQ(q.parts().size(), 15u);
    EXPECT_EQ(q.answer(), "(-6)");
    EXPECT_EQ(q.line, 4);
    EXPECT_EQ(q.place, 1);
}

TEST(QuestionList, KeptByRazRestartedWithTheSubject)
{
    Worksheet ws;
    FakeHost host;
    host.lines = 3;
    ws.runDrill(Drill::Plus, host);
    ws.runDrill(Drill::S2, host); // chaining appends
    ASSERT_EQ(ws.questions().size(), 15u);
    EXPECT_EQ(ws.questions()[12].line, 4);
    const QuestionList before = ws.questions();

    host.clearViews();
    ws.resetCounter(host);
    EXPECT_EQ(ws.questions(), before); // RAZ keeps the list with the documents

    ws.runDrill(Drill::S1, host); // a new worksheet starts a new list
    ASSERT_EQ(ws.questions().size(), 3u);
    EXPECT_EQ(ws.questions()[0].line, 1);

    // A subject view emptied by hand restarts the list, although the
    // numbering goes on; an emptied answer view alone does not.
    host.answerLines = 0;
    ws.runDrill(Drill::Mult, host);
    EXPECT_EQ(ws.questions().size(), 15u);
    host.subjectLines = 0;
    ws.runDrill(Drill::Mult, host);
    ASSERT_EQ(ws.questions().size(), 12u);
    EXPECT_EQ(ws.questions()[0].line, 7);
}

TEST(QuestionList, AnswerKeyOffStillRecordsTheAnswers)
{
    Worksheet on;
    Worksheet off;
    on.random().seed(99);
    off.random().seed(99);
    FakeHost withKey;
    FakeHost withoutKey;
    withoutKey.answerKey = false;
    on.runDrill(Drill::Divide, withKey);
    off.runDrill(Drill::Divide, withoutKey);
    EXPECT_TRUE(off.answer().empty());
    EXPECT_EQ(off.questions(), on.questions());
    EXPECT_EQ(off.random().state(), on.random().state());
}

TEST(QuestionList, GivesBackEveryQuestionAsKept)
{
    // Packed or kept whole, each reads back as it was pushed, in order.
    Question paired;
    paired.drill = Drill::Divide;
    paired.line = 70000;
    paired.place = 4;
    paired.numbers[0] = -2147483647;
    paired.numbers[1] = 2147483647;
    ChainLine chain;
    chain.terms = {-3, 5, -2, -8, 1, 6, 4, -7};
    chain.minus = {false, true, false, true, false, false, true, false};
    Question odd = paired; // no drill makes it, but nothing of it may be lost
    odd.place = 300;
    Question stray = paired;
    stray.minus[7] = true;

    QuestionList list;
    const std::vector<Question> kept{paired, ChainQuestion(Drill::S2, chain, 9), odd, stray, paired};
    for (const Question &q : kept)
        list.push_back(q);
    EXPECT_EQ(std::vector<Question>(list.begin(), list.end()), kept);
    EXPECT_EQ(list.back(), paired);
    EXPECT_THROW(list.at(kept.size()), std::out_of_range);
    EXPECT_LT(list.bytes(), kept.size() * sizeof(Question));

    QuestionList other = list;
    EXPECT_EQ(other, list);
    other.clear();
    other.push_back(paired);
    EXPECT_NE(other, list);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}
