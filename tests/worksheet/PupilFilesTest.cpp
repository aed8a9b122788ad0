// The files pupils answer: the self-correcting page and the Moodle quiz,
// made from the question list. The browser tests open the pages and parse
// the quizzes of every drill; here, what they cannot see: the hash both ends
// share, escaping, titles holding markup, a worksheet without questions.
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

// Titles holding markup and HTML's own characters, in Windows-1252.
TEST(StudentPage, ShowsTheHeaderEscapedInUtf8)
{
    FakeHost host;
    host.lines = 1;
    host.titles[0] = "<b>Classe</b> de 5\xE8me & \"B\"";
    host.titles[1] = std::string(166, '-');
    host.titles[2] = "Consigne </script>";
    Worksheet worksheet;
    worksheet.runDrill(Drill::Plus, host);
    const std::string page = StudentPageHtml({worksheet.referenceCode(), worksheet.titles(), worksheet.questions()});
    EXPECT_NE(page.find("<p class=\"titre gras\">Classe de 5\xC3\xA8me &amp; &quot;B&quot;</p><hr>"), std::string::npos);
    EXPECT_EQ(occurrences(page, "</script>"), 1u); // a title cannot end the script early
    EXPECT_EQ(page.find("\xE8"), std::string::npos); // no Windows-1252 byte left
    EXPECT_NE(page.find("<title>" + worksheet.referenceCode() + " \xE2\x80\x93 "), std::string::npos);
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
