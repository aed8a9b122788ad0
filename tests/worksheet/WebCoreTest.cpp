// What the browser edition relies on in the core: the markup shown as HTML,
// also as it grows, settings changed between two clicks, the views' documents
// told apart, and the projection's own picks.
#include "Composition.h"
#include "MarkupToHtml.h"
#include "ProjectionRound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string_view>
#include <vector>

using namespace oxeln;
using namespace oxeln::compose;

namespace {

const std::string Courier9 = "font-family:'Courier New', 'Liberation Mono', monospace;font-size:9pt";

} // namespace

TEST(MarkupToHtml, AnswerLineKeepsItsSpacesHighlightAndFonts)
{
    const std::string html = MarkupToHtml("<arial><te=20>Ref 1 - <b>Pr\xE9nom</b><br><courier><te=18>"
                                          "01/(+3)+(-4)=<cf=jaune>(-1)<cf=auto>   <br>");
    EXPECT_EQ(html,
              "<p><span style=\"font-family:Arial, 'Liberation Sans', sans-serif;font-size:10pt\">Ref 1 - </span>"
              "<span style=\"font-family:Arial, 'Liberation Sans', sans-serif;font-size:10pt;font-weight:bold\">"
              "Pr\xC3\xA9nom</span></p>"
              "<p class=\"fixed\"><span style=\"" + Courier9 + "\">01/(+3)+(-4)=</span>"
              "<span style=\"" + Courier9 + ";background-color:#ffff00\">(-1)</span>"
              "<span style=\"" + Courier9 + "\">   </span></p>");
}

TEST(MarkupToHtml, ReadsTagsAsTheRtfConversionDoes)
{
    // Folded tags, unknown ones and control bytes dropped, text escaped.
    EXPECT_EQ(MarkupToHtml("<COURIER><TE=18>a\n\t<nothing>&<<>>x<LT>"),
              "<p class=\"fixed\"><span style=\"" + Courier9 + "\">a&amp;&gt;x&lt;</span></p>");
    // An empty paragraph keeps the height of its font; an empty last one is left out.
    EXPECT_EQ(MarkupToHtml("<courier><te=18><br><br>"),
              "<p><span style=\"" + Courier9 + "\"><br></span></p>"
              "<p><span style=\"" + Courier9 + "\"><br></span></p>");
    // Raised text, colours, a tab; "<te=te=9>" is 4.5 points, a size that is no number changes nothing.
    EXPECT_EQ(MarkupToHtml("<te=te=9><te=x1><ce=rouge><sup>3</sup><tab><cf=bleu FONC\xC9>y"),
              "<p><span style=\"font-family:Arial, 'Liberation Sans', sans-serif;font-size:3pt;"
              "vertical-align:super;line-height:0;color:#ff0000\">3</span>"
              "<span style=\"font-family:Arial, 'Liberation Sans', sans-serif;font-size:4.5pt;color:#ff0000\">"
              "\ty</span></p>");
    EXPECT_EQ(MarkupToHtml(""), "");
}

// A view that applies each change as the page does: it keeps the first
// paragraphs it is told to keep and appends the rest.
class ViewOfChanges
{
public:
    void apply(const HtmlChange &change)
    {
        ASSERT_LE(change.keep, m_paragraphs.size());
        m_paragraphs.resize(change.keep);
        for (std::size_t at = 0; at < change.html.size();) {
            const std::size_t end = change.html.find("</p>", at) + 4;
            m_paragraphs.push_back(change.html.substr(at, end - at));
            at = end;
        }
    }
    std::string html() const
    {
        std::string all;
        for (const std::string &p : m_paragraphs)
            all += p;
        return all;
    }

private:
    std::vector<std::string> m_paragraphs;
};

TEST(GrowingHtml, ChangesBuildTheWholeConversionWhereverTheMarkupIsCut)
{
    // A worksheet of every kind of line, then an open paragraph with text
    // and a tag left open at the end; cut anywhere, tags and text included.
    ComposeOptions options;
    options.seed = 11;
    options.lineCount = 2;
    for (const Drill drill : {Drill::Plus, Drill::Power, Drill::S2, Drill::MissingDivide, Drill::Compare, Drill::P2})
        options.steps.push_back({drill});
    const std::string markup = composeWorksheet(options).answer + "<b>fin <i>ouverte<cf=jaune>x<br";
    std::mt19937 cuts(5);
    for (int round = 0; round < 40; ++round) {
        GrowingHtml growing;
        ViewOfChanges view;
        std::size_t end = 0;
        while (end < markup.size()) {
            end = std::min(markup.size(), end + 1 + cuts() % 300);
            view.apply(growing.convert(std::string_view(markup).substr(0, end)));
            ASSERT_EQ(view.html(), MarkupToHtml(markup.substr(0, end))) << "cut at " << end;
        }
    }
    // A shorter markup is another document, converted whole.
    GrowingHtml growing;
    growing.convert(markup);
    const HtmlChange again = growing.convert("<courier>a<br>");
    EXPECT_EQ(again.keep, 0u);
    EXPECT_EQ(again.html, MarkupToHtml("<courier>a<br>"));
}

TEST(ComposeSession, ViewsTellTheirDocumentApart)
{
    ComposeOptions options;
    options.seed = 3;
    options.lineCount = 2;
    ComposeSession session(options);
    EXPECT_EQ(session.subjectStream(), 0u); // nothing shown before a drill
    session.click({Drill::Plus});
    const std::uint64_t first = session.subjectStream();
    EXPECT_NE(first, 0u);
    EXPECT_NE(session.answerStream(), 0u);
    session.click({Drill::S1});
    EXPECT_EQ(session.subjectStream(), first); // the same document, grown
    session.click({}); // RAZ empties the views...
    EXPECT_EQ(session.subjectStream(), 0u);
    EXPECT_EQ(session.answerStream(), 0u);
    session.click({Drill::Minus}); // ...and the next drill starts a new sheet
    EXPECT_NE(session.subjectStream(), 0u);
    EXPECT_NE(session.subjectStream(), first);
    options.steps = {{Drill::Plus}, {Drill::S1}, {}, {Drill::Minus}};
    EXPECT_EQ(session.result().subject, composeWorksheet(options).subject);
}

TEST(ComposeWorksheet, SettingsChangedBetweenClicksHoldFromThatClickOn)
{
    ComposeOptions options;
    options.seed = 7;
    options.lineCount = 3;
    options.steps = {{Drill::Plus}, {Drill::S2, SpinSettings{20, 2, 1}}, {Drill::Mult}};
    const ComposedWorksheet changed = composeWorksheet(options);
    EXPECT_EQ(changed.counter, 3 + 2 + 2);
    EXPECT_EQ(changed.questions.size(), 3u * 4 + 2 + 2 * 4);
    for (std::size_t i = 12; i < changed.questions.size(); ++i) {
        for (int k = 0; k < (changed.questions[i].isChain() ? 8 : 2); ++k)
            EXPECT_LE(std::abs(changed.questions[i].numbers[static_cast<std::size_t>(k)]), 10);
    }

    // One interline break after the last line (two with the options' value).
    EXPECT_EQ(changed.subject.substr(changed.subject.size() - 5), " <br>");

    // The options' own values, given again at the first click, change nothing.
    ComposeOptions same = options;
    same.steps.front().settings = SpinSettings{100, 3, 2};
    EXPECT_EQ(composeWorksheet(same).subject, changed.subject);

    // RAZ restarts the counter; the questions begin again with the next sheet.
    options.steps.push_back({});
    options.steps.push_back({Drill::Minus});
    const ComposedWorksheet again = composeWorksheet(options);
    EXPECT_EQ(again.counter, 2);
    EXPECT_EQ(again.questions.size(), 8u);
    EXPECT_NE(again.referenceCode, changed.referenceCode);
}

TEST(ChooseQuestions, PicksAreTheSameInEveryBuild)
{
    // Fixed by the generator alone (no standard-library distribution), so
    // the browser edition projects the same picks for the same seed.
    std::mt19937 draws(7);
    const std::vector<std::size_t> ten = ChooseQuestions(24, QuestionChoice::Ten, draws);
    EXPECT_EQ(ten, (std::vector<std::size_t>{15, 22, 3, 11, 7, 8, 23, 16, 20, 5}));
    // Spread evenly: over many rounds every question comes first about as often.
    std::vector<int> first(5);
    for (int round = 0; round < 5000; ++round)
        ++first[ChooseQuestions(5, QuestionChoice::Ten, draws).front()];
    for (int count : first)
        EXPECT_NEAR(count, 1000, 120);
    EXPECT_EQ(ChooseQuestions(3, QuestionChoice::Twenty, draws).size(), 3u);
}
