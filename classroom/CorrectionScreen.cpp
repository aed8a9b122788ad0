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
    : m_content(content), m_pixels(std::max(12, windowHeight / 20))
{
    CorrectionGeometry geometry;
    geometry.width = content.width();
    geometry.height = content.height();
    geometry.columnGap = m_pixels;
    geometry.rowGap = m_pixels * 2 / 5;
    m_plan = CorrectionPlan(questions, order, measuresFor(m_pixels), geometry);
}

std::vector<QRectF> CorrectionScreen::itemBoxes(int index) const
{
    std::vector<QRectF> boxes;
    for (const PlannedItem &item : m_plan.items(index)) {
        double right = 0;
        int lines = 1;
        for (const PlacedRun &run : item.placed) {
            right = std::max(right, run.x + run.width);
            lines = std::max(lines, run.line + 1);
        }
        boxes.emplace_back(QPointF(m_content.left() + item.at.x, m_content.top() + item.at.y),
                           QSizeF(right, lines * m_plan.measures().lineHeight));
    }
    return boxes;
}

void CorrectionScreen::paint(QPainter &painter, int index, const QColor &text, const QColor &dim) const
{
    const QFont normal = font(m_pixels, false);
    const QFont raised = font(m_pixels, true);
    const QFontMetricsF metrics(normal);
    const double lift = m_pixels * 0.38; // an exponent's baseline above the line's
    painter.save();
    const double lineHeight = m_plan.measures().lineHeight;
    for (const PlannedItem &item : m_plan.items(index)) {
        const QPointF at(m_content.left() + item.at.x, m_content.top() + item.at.y);
        for (const PlacedRun &run : item.placed) {
            const CorrectionRun &piece = item.runs[run.run];
            const QPointF top(at.x() + run.x, at.y() + run.line * lineHeight);
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
    }
    painter.restore();
}

} // namespace oxeln
