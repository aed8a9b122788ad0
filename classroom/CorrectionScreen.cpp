#include "CorrectionScreen.h"

#include "QuestionText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace oxeln {

namespace {

const QColor kHighlight(0xFF, 0xFF, 0x00);

} // namespace

QFont CorrectionScreen::font(int pixels, bool raised)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(raised ? std::max(6, static_cast<int>(std::lround(pixels * 0.62))) : pixels);
    // Without kerning a run is as wide as its characters added up, which is
    // how the pages were planned.
    font.setKerning(false);
    return font;
}

TextMeasures CorrectionScreen::measuresFor(int pixels)
{
    const QFontMetricsF normal(font(pixels, false));
    const QFontMetricsF raised(font(pixels, true));
    TextMeasures measures;
    for (int byte = 0; byte < 256; ++byte) {
        const QString shown = ScreenText(std::string(1, static_cast<char>(byte)));
        measures.normal[static_cast<std::size_t>(byte)] = normal.horizontalAdvance(shown);
        measures.raised[static_cast<std::size_t>(byte)] = raised.horizontalAdvance(shown);
    }
    measures.lineHeight = normal.lineSpacing();
    return measures;
}

CorrectionScreen::CorrectionScreen(const QuestionList &questions, const std::vector<std::size_t> &order,
                                   const QRect &content, int windowHeight)
    : m_questions(questions), m_order(order), m_content(content), m_pixels(std::max(12, windowHeight / 20)),
      m_measures(measuresFor(m_pixels))
{
    m_geometry.width = content.width();
    m_geometry.height = content.height();
    m_geometry.columnGap = m_pixels;
    m_geometry.rowGap = m_pixels * 2 / 5;
    m_geometry.maxColumns = 4;
    m_numberWidth = NumberWidth(order.size(), m_measures);
    m_pages = PlanCorrectionPages(questions, order, m_measures, m_geometry);
}

template<typename Visit> void CorrectionScreen::forEachItem(int index, Visit visit) const
{
    const CorrectionPage &shown = page(index);
    const double width = m_geometry.columnWidth(shown.columns);
    for (std::size_t k = 0; k < shown.count; ++k) {
        const std::size_t place = shown.first + k;
        const std::vector<CorrectionRun> runs =
            CorrectionRuns(m_questions[m_order.at(place)], static_cast<int>(place) + 1);
        const CellOrigin cell = CorrectionCell(shown, k, m_geometry, m_measures.lineHeight);
        visit(QPointF(m_content.left() + cell.x, m_content.top() + cell.y), runs,
              LayOutCorrectionItem(runs, m_measures, width, m_numberWidth));
    }
}

std::vector<QRectF> CorrectionScreen::itemBoxes(int index) const
{
    std::vector<QRectF> boxes;
    forEachItem(index, [&](QPointF at, const std::vector<CorrectionRun> &, const std::vector<PlacedRun> &placed) {
        double right = 0;
        int lines = 1;
        for (const PlacedRun &run : placed) {
            right = std::max(right, run.x + run.width);
            lines = std::max(lines, run.line + 1);
        }
        boxes.emplace_back(at, QSizeF(right, lines * m_measures.lineHeight));
    });
    return boxes;
}

void CorrectionScreen::paint(QPainter &painter, int index, const QColor &text, const QColor &dim) const
{
    const QFont normal = font(m_pixels, false);
    const QFont raised = font(m_pixels, true);
    const QFontMetricsF metrics(normal);
    const double lift = m_pixels * 0.38; // an exponent's baseline above the line's
    painter.save();
    forEachItem(index, [&](QPointF at, const std::vector<CorrectionRun> &runs, const std::vector<PlacedRun> &placed) {
        for (const PlacedRun &run : placed) {
            const CorrectionRun &piece = runs[run.run];
            const QPointF top(at.x() + run.x, at.y() + run.line * m_measures.lineHeight);
            const QPointF baseline(top.x(), top.y() + metrics.ascent());
            const QString shown = ScreenText(run.dropsBlank ? piece.text.substr(1) : piece.text);
            switch (piece.style) {
            case CorrectionRun::Style::Number:
                painter.setPen(dim);
                break;
            case CorrectionRun::Style::Answer:
                painter.fillRect(QRectF(top, QSizeF(run.width, metrics.height())), kHighlight);
                painter.setPen(Qt::black);
                break;
            default:
                painter.setPen(text);
                break;
            }
            const bool up = piece.style == CorrectionRun::Style::Raised;
            painter.setFont(up ? raised : normal);
            painter.drawText(up ? baseline - QPointF(0, lift) : baseline, shown);
        }
    });
    painter.restore();
}

} // namespace oxeln
