#pragma once

#include "PageFlow.h"

#include <QColor>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPointF>

#include <vector>

namespace oxeln {

// What the toolkit draws of a line: text items where their baseline
// starts, and filled rectangles. Its device has the flow's resolution, so
// that documents laid out with it measure as on the printer.
struct DrawnText
{
    QString text;
    QPointF origin;
    qreal width = 0;
    QColor color;
};

class DrawRecorder : public QPaintEngine
{
public:
    DrawRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    Type type() const override { return User; }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        texts.push_back({item.text(), state->transform().map(p), item.width(), state->pen().color()});
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            fills.push_back({state->transform().mapRect(rects[i]), state->brush().color()});
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF rect(rects[i]);
            drawRects(&rect, 1);
        }
    }
    void drawPath(const QPainterPath &) override { unexpected = true; }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override { unexpected = true; }
    void drawLines(const QLineF *, int) override { unexpected = true; }

    std::vector<DrawnText> texts;
    std::vector<FlowFill> fills;
    bool unexpected = false; // something the flow cannot draw
};

class RecordingDevice : public QPaintDevice
{
public:
    explicit RecordingDevice(qreal dpi) : m_dpi(qRound(dpi)) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    DrawRecorder &recorder() { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight: return 1 << 20;
        case PdmWidthMM:
        case PdmHeightMM: return int((1 << 20) * 25.4 / m_dpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return m_dpi;
        case PdmNumColors: return 0x1000000;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    int m_dpi;
    mutable DrawRecorder m_engine;
};

} // namespace oxeln
