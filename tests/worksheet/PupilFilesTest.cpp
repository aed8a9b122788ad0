// The files pupils answer: the self-correcting page and the Moodle quiz,
// made from the question list. The browser tests open and parse them; here,
// what those cannot see: the hash both ends share, escaping, the header.
#include "AnswerMask.h"
#include "FakeHost.h"
#include "GiftQuiz.h"
#include "StudentPage.h"
#include "Worksheet.h"

#include <gtest/gtest.h>

using namespace oxeln;
using oxeln::test::FakeHost;
using oxeln::test::occurrences;

// The page's script checks the same vectors (tests/browser/student-page.mjs).
TEST(AnswerMask, HashVectorsSharedWithThePage)
{
    EXPECT_EQ(SmallHash(""), 0x811C9DC5u);
    EXPECT_EQ(SmallHash("a"), 0xE40C292Cu);
    EXPECT_EQ(SmallHash("foobar"), 0xBF9CF968u);
    EXPECT_EQ(SmallHash("R\xC3\xA9" "f"), 0x24045935u);
}

TEST(AnswerMask, HidesTheAnswerAndDependsOnSheetAndQuestion)
{
    const std::string mask = MaskAnswer("Ref 042_917", 3, "N|-11|(-11)");
    EXPECT_EQ(mask.size(), 22u);
    EXPECT_EQ(mask.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(mask, MaskAnswer("Ref 042_917", 3, "N|-11|(-11)"));
    EXPECT_NE(mask, MaskAnswer("Ref 042_918", 3, "N|-11|(-11)"));
    EXPECT_NE(mask, MaskAnswer("Ref 042_917", 4, "N|-11|(-11)"));
    // The same answer twice in a row does not repeat its bytes' mask.
    const std::string twice = MaskAnswer("Ref 042_917", 3, "-11-11");
    EXPECT_NE(twice.substr(0, 6), twice.substr(6, 6));
}

TEST(PupilSheet, TitlesShowWhatTheSheetShows)
{
    EXPECT_EQ(VisibleTitleText("<b>Nom</b> :<br>5<sup>e</sup> A\t\x01"), "Nom :\n5e A");
    EXPECT_EQ(VisibleTitleText("5 < 6 > 4"), "5  4"); // every "<" opens a tag
    EXPECT_EQ(VisibleTitleText("a<b"), "a");
    EXPECT_TRUE(IsRuleTitle(std::string(166, '-')));
    EXPECT_TRUE(IsRuleTitle("__________ __________"));
    EXPECT_FALSE(IsRuleTitle("-----"));
    EXPECT_FALSE(IsRuleTitle("Nom : ------------"));
}

TEST(GiftQuiz, EscapesWhatGiftReads)
{
    EXPECT_EQ(GiftEscaped("a~b=c#d{e}f:g\\h\ni[j]"), "a\\~b\\=c\\#d\\{e\\}f\\:g\\\\h\\ni[j]");
}

// One worksheet of each kind of answer: numbers, raised exponents, "/".
class PupilFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_host.lines = 2;
        m_host.maxV = 999;
        m_host.titles[0] = "<b>Classe</b> de 5\xE8me & \"B\"";
        m_host.titles[1] = std::string(166, '-');
        m_host.titles[2] = "Consigne </script>";
        m_worksheet.random().seed(2024);
        for (const Drill drill : {Drill::Power, Drill::Divide, Drill::S2})
            m_worksheet.runDrill(drill, m_host);
    }
    PupilSheet sheet() const
    {
        return {m_worksheet.referenceCode(), m_worksheet.titles(), m_worksheet.questions()};
    }

    FakeHost m_host;
    Worksheet m_worksheet;
};

TEST_F(PupilFiles, GiftNamesTextsAndAnswers)
{
    const std::string quiz = GiftQuiz(sheet());
    const std::string &code = m_worksheet.referenceCode();
    EXPECT_NE(quiz.find("\n$CATEGORY: " + code + "\n"), std::string::npos);
    const std::size_t count = m_worksheet.questions().size();
    EXPECT_EQ(occurrences(quiz, "::" + code + " - Question "), count);
    EXPECT_NE(quiz.find("::" + code + " - Question " + std::to_string(count) + "::"), std::string::npos);
    // Every question in GIFT order, from the list's own words.
    std::size_t at = 0;
    int number = 0;
    for (const Question &q : m_worksheet.questions()) {
        std::string text = q.markup();
        for (std::size_t c = text.find(':'); c != std::string::npos; c = text.find(':', c + 2))
            text.insert(c, "\\");
        const Expected e = q.expected();
        const std::string answer = e.kind == Expected::Kind::NoQuotient ? "=/ =(/)" : "#" + std::to_string(e.value);
        const std::string line = "::" + code + " - Question " + std::to_string(++number) + "::[html]" + text + " \\= {"
                               + answer + "####R\xC3\xA9ponse \\: " + q.answer() + "}\n\n";
        at = quiz.find(line, at);
        ASSERT_NE(at, std::string::npos) << line;
    }
    EXPECT_NE(quiz.find("<sup>"), std::string::npos);
    EXPECT_NE(quiz.find("=/ =(/)"), std::string::npos);
}

TEST_F(PupilFiles, PageIsUtf8WithItsHeaderEscaped)
{
    const std::string page = StudentPageHtml(sheet());
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"fr\">", 0), 0u);
    EXPECT_NE(page.find("<p class=\"titre gras\">Classe de 5\xC3\xA8me &amp; &quot;B&quot;</p><hr>"), std::string::npos);
    EXPECT_EQ(occurrences(page, "</script>"), 1u); // a title cannot end the script early
    EXPECT_NE(page.find("<title>" + m_worksheet.referenceCode() + " \xE2\x80\x93 "), std::string::npos);
    const std::size_t count = m_worksheet.questions().size();
    EXPECT_EQ(occurrences(page, "<li class=\"q"), count);
    EXPECT_NE(page.find("<label class=\"num\" for=\"q" + std::to_string(count) + "\">Question " + std::to_string(count)
                        + "</label>"),
              std::string::npos);
    EXPECT_EQ(page.find("\xE8"), std::string::npos); // no Windows-1252 byte left
    EXPECT_EQ(occurrences(page, "<sup>"), 4u * m_host.lines); // the powers, raised
}

TEST(PupilFilesEmpty, NoQuestionsStillMakeWholeFiles)
{
    const std::array<std::string, 3> titles{};
    const QuestionList none;
    const std::string page = StudentPageHtml({"", titles, none});
    EXPECT_NE(page.find("Aucune question sur cette fiche."), std::string::npos);
    EXPECT_NE(page.find("</html>\n"), std::string::npos);
    const std::string quiz = GiftQuiz({"", titles, none});
    EXPECT_NE(quiz.find("$CATEGORY: Oxeln\n"), std::string::npos);
    EXPECT_EQ(quiz.find("::"), std::string::npos);
}
