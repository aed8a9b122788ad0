#include "CorrectionGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace oxeln {

namespace {

constexpr double kSlack = 1e-6; // widths summed in another order still fit

// Calls add(style, text, breakBefore) for each run of the item after its number.
template<typename Add> void forEachRun(const Question &question, Add add)
{
    const std::vector<QuestionPart> parts = question.parts();
    bool answered = false;
    for (const QuestionPart &part : parts) {
        switch (part.kind) {
        case QuestionPart::Kind::Operator:
            add(CorrectionRun::Style::Text, part.text, !part.text.empty() && part.text.front() == ' ');
            break;
        case QuestionPart::Kind::Exponent:
            add(CorrectionRun::Style::Raised, part.text, false);
            break;
        case QuestionPart::Kind::Blank: {
            // The answer where the dots were, with the blanks around them.
            const std::size_t first = part.text.find_first_not_of(' ');
            const std::size_t last = part.text.find_last_not_of(' ');
            if (first != 0 && first != std::string::npos)
                add(CorrectionRun::Style::Text, part.text.substr(0, first), false);
            add(CorrectionRun::Style::Answer, question.answer(), false);
            if (last != std::string::npos && last + 1 < part.text.size())
                add(CorrectionRun::Style::Text, part.text.substr(last + 1), false);
            answered = true;
            break;
        }
        default:
            add(CorrectionRun::Style::Text, part.text, false);
            break;
        }
    }
    if (!answered) {
        add(CorrectionRun::Style::Text, std::string(" = "), false);
        add(CorrectionRun::Style::Answer, question.answer(), false);
    }
}

// Runs that stay on one line together: from a run that may break to the next.
struct Segment
{
    std::size_t firstRun = 0;
    std::size_t endRun = 0;
    double width = 0; // its leading blank included
    double blank = 0; // the width of that blank, 0 when it cannot break
};

class SegmentBuilder
{
public:
    explicit SegmentBuilder(const TextMeasures &measures) : m_measures(measures) {}

    void add(CorrectionRun::Style style, std::string_view text, bool breakBefore, std::size_t run)
    {
        if (style == CorrectionRun::Style::Number)
            return;
        if (breakBefore || segments.empty()) {
            Segment segment;
            segment.firstRun = run;
            segment.blank = breakBefore ? m_measures.width(text.substr(0, 1)) : 0;
            segments.push_back(segment);
        }
        Segment &segment = segments.back();
        segment.width += m_measures.width(text, style == CorrectionRun::Style::Raised);
        segment.endRun = run + 1;
    }

    std::vector<Segment> segments;

private:
    const TextMeasures &m_measures;
};

// Fills lines of width from numberWidth on; calls place(segment, line, x,
// dropsBlank) for each segment. Returns the lines used; widest receives the
// right edge of the widest line.
template<typename Place>
int fillLines(const std::vector<Segment> &segments, double width, double numberWidth, double &widest, Place place)
{
    int line = 0;
    double x = numberWidth;
    bool empty = true;
    widest = numberWidth;
    for (const Segment &segment : segments) {
        if (!empty && x + segment.width > width + kSlack) {
            ++line;
            x = numberWidth;
            empty = true;
        }
        const bool drops = empty && segment.blank > 0;
        place(segment, line, x, drops);
        x += segment.width - (drops ? segment.blank : 0);
        widest = std::max(widest, x);
        empty = false;
    }
    return line + 1;
}

template<typename Place> int fillLines(const std::vector<Segment> &segments, double width, double numberWidth, Place place)
{
    double widest = 0;
    return fillLines(segments, width, numberWidth, widest, place);
}

} // namespace

double TextMeasures::width(std::string_view text, bool raisedText) const
{
    const std::array<double, 256> &table = raisedText ? raised : normal;
    double sum = 0;
    for (const char c : text)
        sum += table[static_cast<unsigned char>(c)];
    return sum;
}

std::vector<CorrectionRun> CorrectionRuns(const Question &question, int number)
{
    std::vector<CorrectionRun> runs;
    runs.push_back({CorrectionRun::Style::Number, std::to_string(number) + ".", false});
    forEachRun(question, [&](CorrectionRun::Style style, const std::string &text, bool breakBefore) {
        runs.push_back({style, text, breakBefore});
    });
    return runs;
}

std::vector<PlacedRun> LayOutCorrectionItem(const std::vector<CorrectionRun> &runs, const TextMeasures &measures,
                                            double width, double numberWidth)
{
    SegmentBuilder builder(measures);
    std::vector<PlacedRun> placed;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const CorrectionRun &run = runs[i];
        if (run.style == CorrectionRun::Style::Number) {
            const double w = measures.width(run.text);
            placed.push_back({i, 0, numberWidth - measures.width(" ") - w, w, false});
        }
        builder.add(run.style, run.text, run.breakBefore, i);
    }
    fillLines(builder.segments, width, numberWidth, [&](const Segment &segment, int line, double x, bool drops) {
        for (std::size_t i = segment.firstRun; i < segment.endRun; ++i) {
            const CorrectionRun &run = runs[i];
            const bool dropsHere = drops && i == segment.firstRun;
            const std::string_view text = dropsHere ? std::string_view(run.text).substr(1) : std::string_view(run.text);
            const double w = measures.width(text, run.style == CorrectionRun::Style::Raised);
            placed.push_back({i, line, x, w, dropsHere});
            x += w;
        }
    });
    return placed;
}

double NumberWidth(std::size_t count, const TextMeasures &measures)
{
    double digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, measures.width(std::string_view(&c, 1)));
    int digits = 1;
    for (std::size_t n = count; n >= 10; n /= 10)
        ++digits;
    return digits * digit + measures.width(". ");
}

double CorrectionGeometry::columnWidth(int columns) const
{
    return (width - (columns - 1) * columnGap) / columns;
}

int CorrectionGeometry::rows(int lines, double lineHeight) const
{
    const double cell = lines * lineHeight + rowGap;
    return std::max(1, static_cast<int>(std::floor((height + rowGap + kSlack) / cell)));
}

CorrectionFit FitCorrectionItem(const Question &question, const TextMeasures &measures,
                                const CorrectionGeometry &geometry, double numberWidth)
{
    SegmentBuilder builder(measures);
    std::size_t run = 0;
    forEachRun(question, [&](CorrectionRun::Style style, const std::string &text, bool breakBefore) {
        builder.add(style, text, breakBefore, run++);
    });
    double oneLine = 0;
    const auto ignore = [](const Segment &, int, double, bool) {};
    fillLines(builder.segments, HUGE_VAL, numberWidth, oneLine, ignore);
    CorrectionFit fit;
    fit.columns = std::max(1, geometry.maxColumns);
    while (fit.columns > 1 && oneLine > geometry.columnWidth(fit.columns) + kSlack)
        --fit.columns;
    const double fullWidth = geometry.columnWidth(1);
    if (oneLine > fullWidth + kSlack)
        fit.lines = fillLines(builder.segments, fullWidth, numberWidth, ignore);
    return fit;
}

std::vector<CorrectionPage> PlanCorrectionPages(const QuestionList &questions, const std::vector<std::size_t> &order,
                                                const TextMeasures &measures, const CorrectionGeometry &geometry)
{
    const std::size_t n = order.size();
    if (n == 0)
        return {CorrectionPage{}};
    const double numberWidth = NumberWidth(n, measures);
    // What each item asks, a few bytes each, for the time of the planning.
    struct Fit
    {
        std::uint8_t columns;
        std::uint8_t lines;
    };
    std::vector<Fit> fits(n);
    for (std::size_t k = 0; k < n; ++k) {
        const CorrectionFit fit = FitCorrectionItem(questions[order[k]], measures, geometry, numberWidth);
        fits[k] = {static_cast<std::uint8_t>(std::min(fit.columns, 255)), static_cast<std::uint8_t>(std::min(fit.lines, 255))};
    }

    // The fewest pages; among those, the fewest items shown narrower or
    // taller than they need (a division in one column because a chain shares
    // its page); then the fuller first pages. From the end: best[k] is the
    // cost of the items from k on, length[k] the length of its first page.
    struct Cost
    {
        std::uint32_t pages = 0;
        std::uint32_t misfits = 0;
        bool operator<=(const Cost &other) const
        {
            return pages != other.pages ? pages < other.pages : misfits <= other.misfits;
        }
    };
    std::vector<Cost> best(n + 1);
    std::vector<std::uint32_t> length(n + 1, 0);
    const int maxColumns = std::max(1, std::min(geometry.maxColumns, 255));
    // Items of the page being tried by the columns and the lines they ask,
    // so that the misfits follow the page as it grows, without a rescan.
    std::array<std::uint32_t, 256> byColumns{};
    std::array<std::uint32_t, 256> byLines{};
    for (std::size_t k = n; k-- > 0;) {
        int columns = maxColumns;
        int lines = 1;
        int mostLines = 1;
        std::uint32_t misfits = 0;
        for (std::size_t end = k + 1; end <= n; ++end) {
            const Fit fit = fits[end - 1];
            ++byColumns[fit.columns];
            ++byLines[fit.lines];
            mostLines = std::max<int>(mostLines, fit.lines);
            for (; columns > fit.columns; --columns)
                misfits += byColumns[static_cast<std::size_t>(columns)];
            for (; lines < fit.lines; ++lines)
                misfits += byLines[static_cast<std::size_t>(lines)];
            misfits += (fit.columns > columns) + (fit.lines < lines);
            if (end - k > static_cast<std::size_t>(columns) * geometry.rows(lines, measures.lineHeight))
                break; // and every longer page too: columns only narrow, lines only grow
            Cost cost = best[end];
            ++cost.pages;
            cost.misfits += misfits;
            if (length[k] == 0 || cost <= best[k]) {
                best[k] = cost;
                length[k] = static_cast<std::uint32_t>(end - k);
            }
        }
        std::fill(byColumns.begin(), byColumns.begin() + maxColumns + 1, 0u);
        std::fill(byLines.begin(), byLines.begin() + mostLines + 1, 0u);
    }

    std::vector<CorrectionPage> pages;
    for (std::size_t k = 0; k < n; k += length[k]) {
        CorrectionPage page{k, length[k], std::max(1, geometry.maxColumns), 1};
        for (std::size_t i = k; i < k + length[k]; ++i) {
            page.columns = std::min<int>(page.columns, fits[i].columns);
            page.lines = std::max<int>(page.lines, fits[i].lines);
        }
        pages.push_back(page);
    }
    return pages;
}

CellOrigin CorrectionCell(const CorrectionPage &page, std::size_t k, const CorrectionGeometry &geometry,
                          double lineHeight)
{
    const auto column = static_cast<double>(k % static_cast<std::size_t>(page.columns));
    const auto row = static_cast<double>(k / static_cast<std::size_t>(page.columns));
    return {column * (geometry.columnWidth(page.columns) + geometry.columnGap),
            row * (page.lines * lineHeight + geometry.rowGap)};
}

CorrectionPlan::CorrectionPlan(const QuestionList &questions, const std::vector<std::size_t> &order,
                               const TextMeasures &measures, const CorrectionGeometry &geometry)
    : m_questions(&questions), m_order(&order), m_measures(measures), m_geometry(geometry),
      m_numberWidth(NumberWidth(order.size(), measures)),
      m_pages(PlanCorrectionPages(questions, order, measures, geometry))
{
}

std::vector<PlannedItem> CorrectionPlan::items(int index) const
{
    const CorrectionPage &shown = page(index);
    const double width = m_geometry.columnWidth(shown.columns);
    std::vector<PlannedItem> items(shown.count);
    for (std::size_t k = 0; k < shown.count; ++k) {
        PlannedItem &item = items[k];
        item.number = shown.first + k + 1;
        item.at = CorrectionCell(shown, k, m_geometry, m_measures.lineHeight);
        item.runs = CorrectionRuns((*m_questions)[m_order->at(shown.first + k)], static_cast<int>(item.number));
        item.placed = LayOutCorrectionItem(item.runs, m_measures, width, m_numberWidth);
    }
    return items;
}

} // namespace oxeln
