#pragma once

// The page flow's inner parts, shared by its two files: PageFlow.cpp places
// lines and cuts pages, PageFlowMeasure.cpp measures formats and lines on the
// toolkit's layout and lays out what the flow does not place itself.
#include "DrawRecorder.h"
#include "PageFlow.h"

#include <QPainter>
#include <QTextDocument>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace oxeln {

namespace flow {

// Characters placed one pitch apart without shaping: left to right, no
// marks, controls, tabs, soft hyphens or line separators.
bool plainCharacter(char16_t c);

} // namespace flow

class PageFlow::Impl
{
public:
    Impl(const FlowSettings &settings, FlowSink &sink)
        : settings(settings), sink(sink), device(settings.dpi), painter(&device)
    {
        // Number 0, never a run's: the reference every format's baseline is
        // measured against (a tool tip keeps it apart from any format).
        Format reference;
        reference.format.setToolTip(QStringLiteral("\x01"));
        formats.push_back(reference);
    }

    struct Format
    {
        QTextCharFormat format;
        QRawFont font;        // of its characters
        QColor color;         // foreground, invalid for the default
        QColor background;    // invalid for none
        qreal shift = 0;      // of its baseline from the line's
        qreal pitch = 0;      // fixed-pitch fonts: every glyph's advance
        qreal bearing = 0;    // the most a glyph may pass its advance
        bool fixed = false;
        std::vector<quint32> glyphs; // by character up to U+00FF; U+2122 and the like looked up
    };

    struct LineMeasure
    {
        qreal height = 0;
        qreal lineAdvance = 0; // to the next line's top within a paragraph
        qreal advance = 0;  // to the next line's top, after the paragraph's last
        qreal baseline = 0; // from the line's top, for unshifted text
    };

    std::unique_ptr<QTextDocument> scratch() const;
    QTextDocument *measuringDocument()
    {
        if (!measuring)
            measuring = scratch();
        return measuring.get();
    }
    void fill(QTextDocument &document, const FlowParagraph &paragraph) const;
    void measureFormat(Format &format, int id);
    const LineMeasure &lineMeasure(std::vector<int> &formats);
    const LineMeasure &emptyLineMeasure(int mark);
    quint32 glyphOf(const Format &format, char16_t c) const;

    bool placeFixedPitch(const FlowParagraph &paragraph);
    void placeLine(const FlowParagraph &paragraph, qsizetype from, qsizetype to, qreal width, bool last);
    int formatAt(const FlowParagraph &paragraph, int position) const;
    FlowLine newLine();
    void layOut(const FlowParagraph &paragraph);
    void place(FlowLine &&line, qreal advance, bool lastEmpty);
    void flushPage();
    void startPage(FlowLine &&line);

    FlowSettings settings;
    FlowSink &sink;
    RecordingDevice device;
    QPainter painter;
    std::vector<Format> formats;
    std::map<std::vector<int>, LineMeasure> lineMeasures;
    std::map<int, LineMeasure> emptyMeasures;
    std::unique_ptr<QTextDocument> work; // the paragraph being laid out by the toolkit
    std::unique_ptr<QTextDocument> measuring; // samples of formats and lines

    qreal y = 0; // top of the next line
    std::vector<FlowLine> page;
    std::vector<FlowLine> spare; // drawn lines kept for their room
    std::vector<int> m_ids;
    qreal pageTop = 0;
    std::optional<FlowLine> pending; // did not fit the last page
    bool pendingLastEmpty = false;   // pending is an empty paragraph's line
    bool ended = false;              // a page too short for its first line
    bool failed = false;
};

} // namespace oxeln
