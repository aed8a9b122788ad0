#pragma once

#include "CorrectionGrid.h"
#include "Questions.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QRectF>

#include <cstddef>
#include <vector>

class QPainter;

namespace oxeln {

// The correction pages of a round for one window size: planned over the
// whole round from the font's character widths, drawn one page at a time
// from the questions themselves, so that its cost and its memory do not grow
// with the round beyond the plan's few numbers a page.
class CorrectionScreen
{
public:
    // questions and order must outlive it; content is the area of the pages
    // and windowHeight sets the size of the type.
    CorrectionScreen(const QuestionList &questions, const std::vector<std::size_t> &order, const QRect &content,
                     int windowHeight);

    int pageCount() const { return m_plan.pageCount(); }
    const CorrectionPage &page(int index) const { return m_plan.page(index); }
    // The box each item of the page takes, in reading order.
    std::vector<QRectF> itemBoxes(int index) const;
    // Draws the page: numbers in dim, questions in text, answers black on yellow.
    void paint(QPainter &painter, int index, const QColor &text, const QColor &dim) const;

    // The correction's type at a pixel size, and the widths it gives the
    // documents' characters as shown on the screen; public for the tests.
    static QFont font(int pixels, bool raised);
    static TextMeasures measuresFor(int pixels);

private:
    QRect m_content;
    int m_pixels = 12;
    CorrectionPlan m_plan;
};

} // namespace oxeln
