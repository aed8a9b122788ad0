// The correction's pages planned from character widths: every question once,
// in order, each page a grid whose cells hold their items, no page closed
// while its next item would still have fitted.
#include "BlankDrills.h"
#include "ChainDrills.h"
#include "CorrectionGrid.h"
#include "PairedDrills.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

using namespace oxeln;

namespace {

// A fixed-pitch screen: every character one unit, exponents half, lines 2.
TextMeasures fixedPitch()
{
    TextMeasures measures;
    measures.normal.fill(1);
    measures.raised.fill(0.5);
    measures.lineHeight = 2;
    return measures;
}

Question chain(std::int32_t term)
{
    ChainLine line;
    line.terms.fill(term);
    return ChainQuestion(Drill::S2, line, 1);
}

std::string drawn(const std::vector<CorrectionRun> &runs)
{
    std::string text;
    for (const CorrectionRun &run : runs)
        text += run.text;
    return text;
}

} // namespace

TEST(CorrectionItem, ReadsAsTheKeyWithItsAnswerLast)
{
    QuestionList list;
    AppendPairedQuestions(Drill::Power, {{{-8, 3}, {2, 0}, {1, 1}, {5, 2}}}, 4, list);
    const std::vector<CorrectionRun> runs = CorrectionRuns(list[0], 13);
    EXPECT_EQ(drawn(runs), "13.(-8)3 = (-512)");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].style, CorrectionRun::Style::Number);
    EXPECT_EQ(runs[2].style, CorrectionRun::Style::Raised);
    EXPECT_EQ(runs[4].style, CorrectionRun::Style::Answer);
    EXPECT_EQ(runs[4].text, list[0].answer());
}

// A place to fill in takes the answer itself, with the blanks around it.
TEST(CorrectionItem, FillsThePlaceOfTheDots)
{
    const Question missing = MissingTermQuestion(Drill::MissingPlus, {-3, 8, 1}, 1, 1, Writing::Parentheses);
    const std::vector<CorrectionRun> runs = CorrectionRuns(missing, 2);
    EXPECT_EQ(drawn(runs), "2.(-3) + (+8) = (+5)");
    EXPECT_EQ(runs[3].style, CorrectionRun::Style::Answer);
    EXPECT_EQ(runs[3].text, "(+8)");
    const std::vector<CorrectionRun> compared = CorrectionRuns(ComparisonQuestion({-7, 3}, 1, 1, Writing::Parentheses), 3);
    EXPECT_EQ(drawn(compared), "3.(-7) < (+3)");
    EXPECT_EQ(compared[3].style, CorrectionRun::Style::Answer);
    EXPECT_EQ(compared[3].text, "<");
}

TEST(CorrectionItem, BreaksOnlyBeforeOperatorsAndDropsTheBlankThere)
{
    const std::vector<CorrectionRun> runs = CorrectionRuns(chain(-12), 7);
    const TextMeasures measures = fixedPitch();
    const double numberWidth = NumberWidth(99, measures); // "99. "
    ASSERT_EQ(numberWidth, 4);
    // "(-12) + (-12) + ..." : 5 per term, 3 per operator, " = (-96)" 8.
    const std::vector<PlacedRun> placed = LayOutCorrectionItem(runs, measures, 4 + 21, numberWidth);
    EXPECT_EQ(placed[0].x, 1); // "7." right-aligned before its blank
    int lines = 0;
    for (const PlacedRun &at : placed) {
        const CorrectionRun &run = runs[at.run];
        lines = std::max(lines, at.line + 1);
        EXPECT_LE(at.x + at.width, 25) << run.text;
        EXPECT_EQ(at.dropsBlank, at.run > 1 && at.x == numberWidth) << run.text;
        if (at.x == numberWidth && at.run > 1) {
            EXPECT_TRUE(run.breakBefore) << run.text;
        }
    }
    // Three terms, then two and two (the blank dropped), then the last term
    // with the answer, which never part.
    EXPECT_EQ(lines, 4);
    EXPECT_EQ(placed.back().line, 3);
    EXPECT_EQ(placed.back().x + placed.back().width, 4 + 7 + 8);

    // Wide enough: one line, every blank drawn.
    for (const PlacedRun &at : LayOutCorrectionItem(runs, measures, 1000, numberWidth))
        EXPECT_TRUE(at.line == 0 && !at.dropsBlank);
}

namespace {

// The pages and the misfits (items in narrower or taller cells than they
// need) of the best split of the round, tried every way: short rounds only.
std::pair<std::size_t, int> bestSplit(const std::vector<CorrectionFit> &fits, const CorrectionGeometry &geometry,
                                      double lineHeight)
{
    const std::size_t n = fits.size();
    std::pair<std::size_t, int> best{n + 1, 0};
    for (std::uint32_t cuts = 0; cuts < (1u << (n - 1)); ++cuts) {
        std::pair<std::size_t, int> cost{0, 0};
        bool feasible = true;
        for (std::size_t first = 0; first < n && feasible;) {
            std::size_t end = first + 1;
            while (end < n && !(cuts & (1u << (end - 1))))
                ++end;
            int columns = geometry.maxColumns, lines = 1;
            for (std::size_t i = first; i < end; ++i) {
                columns = std::min(columns, fits[i].columns);
                lines = std::max(lines, fits[i].lines);
            }
            feasible = end - first <= std::size_t(columns) * geometry.rows(lines, lineHeight);
            for (std::size_t i = first; i < end; ++i)
                cost.second += (fits[i].columns > columns) + (fits[i].lines < lines);
            ++cost.first;
            first = end;
        }
        if (feasible && cost < best)
            best = cost;
    }
    return best;
}

} // namespace

// Random rounds of every drill and width: the pages cover the round in
// order, each item fits its cell, and the split is the best one (fewest
// pages, then fewest misfits), as trying every split of a short round shows.
TEST(CorrectionPages, GridsThatHoldTheirItemsInTheFewestPages)
{
    std::mt19937 draw(17);
    const TextMeasures measures = fixedPitch();
    int gridPages = 0, tallPages = 0, tried = 0;
    for (int round = 0; round < 60; ++round) {
        QuestionList questions;
        const int count = round % 3 ? 1 + static_cast<int>(draw() % 300) : 1 + static_cast<int>(draw() % 12);
        std::uniform_int_distribution<int> number(-499, 499);
        while (static_cast<int>(questions.size()) < count) {
            const auto drill = static_cast<Drill>(draw() % 7);
            if (drill == Drill::S1 || drill == Drill::S2)
                questions.push_back(chain(number(draw) | 1));
            else
                AppendPairedQuestions(drill, {{{number(draw) * 997, 1 + int(draw() % 9)}, {3, 2}, {-1, 1}, {40, 5}}},
                                      1, questions);
        }
        std::vector<std::size_t> order(questions.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = order.size() - 1 - i;
        const bool few = questions.size() <= 12; // on small pages: several to choose among
        const CorrectionGeometry geometry{40.0 + draw() % 120, few ? 4.0 + draw() % 12 : 30.0 + draw() % 60, 2, 1, 4};
        const std::vector<CorrectionPage> pages = PlanCorrectionPages(questions, order, measures, geometry);
        const double numberWidth = NumberWidth(order.size(), measures);

        std::size_t next = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const CorrectionPage &page = pages[p];
            ASSERT_EQ(page.first, next);
            ASSERT_GE(page.count, 1u);
            const int rows = geometry.rows(page.lines, measures.lineHeight);
            gridPages += page.columns > 1 && page.count > std::size_t(page.columns);
            tallPages += page.lines > 1;
            ASSERT_LE(page.count, std::size_t(page.columns) * rows);
            for (std::size_t k = 0; k < page.count; ++k) {
                const std::vector<CorrectionRun> runs = CorrectionRuns(questions[order[page.first + k]], 1);
                int lines = 0;
                for (const PlacedRun &at : LayOutCorrectionItem(runs, measures, geometry.columnWidth(page.columns), numberWidth)) {
                    lines = std::max(lines, at.line + 1);
                    if (page.columns > 1 || page.lines == 1) {
                        ASSERT_LE(at.x + at.width, geometry.columnWidth(page.columns) + 1e-9);
                    }
                }
                ASSERT_LE(lines, page.lines);
                const CellOrigin cell = CorrectionCell(page, k, geometry, measures.lineHeight);
                ASSERT_LE(cell.y + page.lines * measures.lineHeight, geometry.height + 1e-9);
                ASSERT_LE(cell.x + geometry.columnWidth(page.columns), geometry.width + 1e-9);
            }
            next += page.count;
        }
        ASSERT_EQ(next, order.size());

        std::vector<CorrectionFit> fits;
        for (std::size_t i : order)
            fits.push_back(FitCorrectionItem(questions[i], measures, geometry, numberWidth));
        int misfits = 0;
        for (const CorrectionPage &page : pages) {
            for (std::size_t k = page.first; k < page.first + page.count; ++k)
                misfits += (fits[k].columns > page.columns) + (fits[k].lines < page.lines);
        }
        if (order.size() <= 12) {
            EXPECT_EQ(std::make_pair(pages.size(), misfits), bestSplit(fits, geometry, measures.lineHeight));
            ++tried;
        }
    }
    EXPECT_GT(tried, 10);
    EXPECT_GT(gridPages, 20);
    EXPECT_GT(tallPages, 20);
}
