#pragma once

#include "Questions.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The correction of a projected round: every question with its answer
// highlighted, on pages that are grids of equal cells filled row by row.
// The pages of the whole round are planned from character widths alone, so
// that nothing is laid out beyond the page shown; a screen (the window, a
// browser page) supplies the widths and draws the page from the runs placed
// here.
namespace oxeln {

// The widths a screen gives the characters of the documents (Windows-1252
// bytes, as it shows them: it may draw "-" as a true minus sign), in the
// correction's font and in the smaller one of exponents, and the height of
// one line. Any unit, as long as all agree (pixels on a screen).
struct TextMeasures
{
    std::array<double, 256> normal{};
    std::array<double, 256> raised{};
    double lineHeight = 1;

    double width(std::string_view text, bool raisedText = false) const;
};

// One piece of a correction item, in the order drawn.
struct CorrectionRun
{
    enum class Style { Number, Text, Raised, Answer };

    Style style = Style::Text;
    std::string text; // Windows-1252 bytes
    // A line may break before this run, at the blank it starts with; that
    // blank is not drawn at the start of a line.
    bool breakBefore = false;
};

// An item: its place in the round ("12."), the question as the subject
// writes it, and its answer as the key highlights it, in place of the blank
// the pupil fills in when the question has one, else after " = ".
std::vector<CorrectionRun> CorrectionRuns(const Question &question, int number);

// Where one run of an item goes: its line and its left edge from the item's
// left, and whether its leading blank is left out (a broken line's start).
struct PlacedRun
{
    std::size_t run = 0;
    int line = 0;
    double x = 0;
    double width = 0;
    bool dropsBlank = false;
};

// The runs of an item on lines at most width wide, each filled before the
// next begins; a piece that cannot break and is wider has a line of its own.
// The number is right-aligned in numberWidth, which the later lines leave
// blank too, so that numbers and questions line up down a column.
std::vector<PlacedRun> LayOutCorrectionItem(const std::vector<CorrectionRun> &runs, const TextMeasures &measures,
                                            double width, double numberWidth);

// The room of the numbers of a round of count questions: the widest number
// of as many digits as count, its "." and a blank.
double NumberWidth(std::size_t count, const TextMeasures &measures);

// The area the pages fill and the space between cells.
struct CorrectionGeometry
{
    double width = 0;
    double height = 0;
    double columnGap = 0;
    double rowGap = 0;
    int maxColumns = 4;

    double columnWidth(int columns) const;
    // Rows of cells lines high that fit the height; at least one.
    int rows(int lines, double lineHeight) const;
};

// What an item asks of a page: the most columns in which it fits on one
// line, or one column and the lines it takes there.
struct CorrectionFit
{
    int columns = 1;
    int lines = 1;
};
CorrectionFit FitCorrectionItem(const Question &question, const TextMeasures &measures,
                                const CorrectionGeometry &geometry, double numberWidth);

// A page: count items from the round's place first, in columns equal
// columns filled row by row, every cell lines lines high.
struct CorrectionPage
{
    std::size_t first = 0;
    std::size_t count = 0;
    int columns = 1;
    int lines = 1;

    bool operator==(const CorrectionPage &) const = default;
};

// The pages of the round (order: indices into questions, as projected).
// Each page takes as many columns as its widest item allows on one line
// (one column, on more lines, for an item wider than the area) and as many
// rows as fit. The round takes the fewest pages; among those, the plan with
// the fewest items shown in narrower or taller cells than they need (a
// division in one column because a chain shares its page); then the one
// with the fuller first pages. The work is one pass over the round, with
// two bytes an item kept while it runs; no item is laid out.
std::vector<CorrectionPage> PlanCorrectionPages(const QuestionList &questions, const std::vector<std::size_t> &order,
                                                const TextMeasures &measures, const CorrectionGeometry &geometry);

// The top left corner of cell k of page, from the area's top left.
struct CellOrigin
{
    double x = 0;
    double y = 0;
};
CellOrigin CorrectionCell(const CorrectionPage &page, std::size_t k, const CorrectionGeometry &geometry,
                          double lineHeight);

// An item of a page as it is drawn: its number in the round, its cell's
// top left, its runs and where they go in the cell.
struct PlannedItem
{
    std::size_t number = 0;
    CellOrigin at;
    std::vector<CorrectionRun> runs;
    std::vector<PlacedRun> placed;
};

// The correction of a round, planned once and laid out a page at a time,
// for every screen that shows it. questions and order must outlive it.
class CorrectionPlan
{
public:
    CorrectionPlan() = default;
    CorrectionPlan(const QuestionList &questions, const std::vector<std::size_t> &order,
                   const TextMeasures &measures, const CorrectionGeometry &geometry);

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    const CorrectionPage &page(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }
    const TextMeasures &measures() const { return m_measures; }
    const CorrectionGeometry &geometry() const { return m_geometry; }
    // The items of page index, in reading order.
    std::vector<PlannedItem> items(int index) const;

private:
    const QuestionList *m_questions = nullptr;
    const std::vector<std::size_t> *m_order = nullptr;
    TextMeasures m_measures;
    CorrectionGeometry m_geometry;
    double m_numberWidth = 0;
    std::vector<CorrectionPage> m_pages;
};

} // namespace oxeln
