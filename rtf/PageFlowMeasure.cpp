#include "PageFlowImpl.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QtMath>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <map>

namespace oxeln {

namespace {

bool solid(const QBrush &brush)
{
    return brush.style() == Qt::NoBrush || (brush.style() == Qt::SolidPattern && brush.color().alpha() == 255);
}

bool rightToLeft(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const QChar::Direction d = c.direction();
        return d == QChar::DirR || d == QChar::DirAL || d == QChar::DirRLE || d == QChar::DirRLO
            || d == QChar::DirRLI || d == QChar::DirAN;
    });
}

// Whether the face the toolkit chose is the style asked for, not one it
// makes up (emboldened, slanted), which the flow's glyphs would not show.
bool trueStyle(const QRawFont &font, const QFont &asked)
{
    const QByteArray head = font.fontTable("head");
    const QByteArray os2 = font.fontTable("OS/2");
    if (head.size() < 46)
        return false;
    const auto u16 = [](const QByteArray &t, int at) { return quint16((uchar(t[at]) << 8) | uchar(t[at + 1])); };
    const quint16 macStyle = u16(head, 44);
    const bool bold = (macStyle & 1) || (os2.size() >= 6 && u16(os2, 4) >= 600);
    const bool italic = (macStyle & 2) || (os2.size() >= 64 && (u16(os2, 62) & 1));
    const QByteArray post = font.fontTable("post");
    const bool fixedPitch = post.size() >= 16 && (post[12] | post[13] | post[14] | post[15]);
    if (asked.weight() >= QFont::Bold && !bold && !fixedPitch)
        return false;
    return asked.style() == QFont::StyleNormal || italic;
}

} // namespace

namespace flow {

bool plainCharacter(char16_t c)
{
    if (c >= 0x20 && c < 0x7F)
        return true;
    if (c >= 0xA0 && c <= 0xFF)
        return c != 0xAD;
    switch (c) {
    case 0x0152: case 0x0153: case 0x0160: case 0x0161: case 0x0178: case 0x017D: case 0x017E: case 0x0192:
    case 0x02C6: case 0x02DC: case 0x2013: case 0x2014: case 0x2018: case 0x2019: case 0x201A: case 0x201C:
    case 0x201D: case 0x201E: case 0x2020: case 0x2021: case 0x2022: case 0x2026: case 0x2030: case 0x2039:
    case 0x203A: case 0x20AC: case 0x2122:
        return true;
    default:
        return false;
    }
}

} // namespace flow

using flow::plainCharacter;

FlowSettings FlowSettings::forView(const QFont &font, const QTextOption &option, qreal indentWidth, qreal sourceDpi,
                                   qreal dpi, int widthTwips, int heightTwips)
{
    // The same measures as RtfPageLayout's copy of the document.
    FlowSettings settings;
    settings.sourceDpi = sourceDpi;
    settings.dpi = dpi;
    settings.width = widthTwips * dpi / 1440.0;
    settings.pageHeight = heightTwips * dpi / 1440.0;
    settings.font = font;
    if (settings.font.pointSizeF() <= 0 && settings.font.pixelSize() > 0)
        settings.font.setPointSizeF(settings.font.pixelSize() * 72.0 / sourceDpi);
    settings.option = option;
    settings.option.setTabStopDistance(option.tabStopDistance() * dpi / sourceDpi);
    settings.indentWidth = indentWidth;
    return settings;
}

bool PageFlow::draws(const QTextCharFormat &format)
{
    const QMap<int, QVariant> properties = format.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const QVariant &value = it.value();
        switch (it.key()) {
        case QTextFormat::FontFamilies:
        case QTextFormat::FontFamily:
        case QTextFormat::FontStyleName:
        case QTextFormat::FontPointSize:
        case QTextFormat::FontPixelSize:
        case QTextFormat::FontWeight:
        case QTextFormat::FontItalic:
        case QTextFormat::FontStyleHint:
        case QTextFormat::FontStyleStrategy:
        case QTextFormat::FontHintingPreference:
        case QTextFormat::FontFixedPitch:
        case QTextFormat::FontKerning:
        case QTextFormat::TextToolTip:
            break;
        case QTextFormat::FontUnderline:
        case QTextFormat::FontOverline:
        case QTextFormat::FontStrikeOut:
            if (value.toBool())
                return false;
            break;
        case QTextFormat::TextUnderlineStyle:
            if (value.toInt() != QTextCharFormat::NoUnderline)
                return false;
            break;
        case QTextFormat::TextVerticalAlignment: {
            const int v = value.toInt();
            if (v != QTextCharFormat::AlignNormal && v != QTextCharFormat::AlignSuperScript
                && v != QTextCharFormat::AlignSubScript)
                return false;
            break;
        }
        case QTextFormat::ForegroundBrush:
        case QTextFormat::BackgroundBrush:
            if (!solid(qvariant_cast<QBrush>(value)))
                return false;
            break;
        default:
            return false;
        }
    }
    return true;
}

bool PageFlow::draws(const QTextBlockFormat &format)
{
    const QMap<int, QVariant> properties = format.properties();
    return std::all_of(properties.keyBegin(), properties.keyEnd(),
                       [](int key) { return key == QTextFormat::BlockAlignment; });
}

bool PageFlow::draws(const QTextDocument &document)
{
    if (!document.rootFrame()->childFrames().isEmpty())
        return false;
    const QList<QTextFormat> formats = document.allFormats();
    return std::all_of(formats.cbegin(), formats.cend(), [](const QTextFormat &format) {
        if (format.isCharFormat())
            return draws(format.toCharFormat());
        if (format.isBlockFormat())
            return draws(format.toBlockFormat());
        return format.isFrameFormat() && format.objectType() == QTextFormat::NoObject
            && !format.isTableFormat();
    });
}

std::unique_ptr<QTextDocument> PageFlow::Impl::scratch() const
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(settings.font);
    document->setDefaultTextOption(settings.option);
    document->setIndentWidth(settings.indentWidth);
    document->setDocumentMargin(0);
    document->documentLayout()->setPaintDevice(const_cast<RecordingDevice *>(&device));
    document->setTextWidth(settings.width);
    return document;
}

// The paragraph, then an empty one whose top tells where the next begins.
void PageFlow::Impl::fill(QTextDocument &document, const FlowParagraph &paragraph) const
{
    // One edit: laid out once, when done.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    QTextBlockFormat block;
    if (paragraph.alignment)
        block.setAlignment(*paragraph.alignment);
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(formats[std::size_t(paragraph.mark)].format);
    for (const FlowParagraph::Run &run : paragraph.runs)
        cursor.insertText(paragraph.text.mid(run.start, run.length), formats[std::size_t(run.format)].format);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    // Shaped once for the layout, the drawing and the glyphs.
    document.begin().layout()->setCacheEnabled(true);
    cursor.endEditBlock();
}

void PageFlow::Impl::measureFormat(Format &format, int id)
{
    // A digit of the format after one of the default's, whose baseline is
    // the line's.
    FlowParagraph sample;
    sample.text = QStringLiteral("00");
    sample.runs = {{0, 1, 0}, {1, 1, id}};
    QTextDocument *document = measuringDocument();
    fill(*document, sample);
    const QTextBlock block = document->begin();
    const QPointF origin = document->documentLayout()->blockBoundingRect(block).topLeft();
    const QTextLine line = block.layout()->lineAt(0);
    DrawRecorder &recorder = device.recorder();
    recorder.texts.clear();
    line.draw(&painter, origin);
    const QList<QGlyphRun> runs = line.glyphRuns(1, 1);
    if (recorder.texts.size() != 2 || runs.isEmpty()) {
        failed = true;
        return;
    }
    // The face of the format's digit, at the size drawn (smaller for super-
    // and subscripts); not a fallback font's.
    format.font = runs.first().rawFont();
    const QFont asked = QFont(format.format.font().resolve(settings.font), &device);
    const QRawFont primary = QRawFont::fromFont(asked);
    const bool own = primary.familyName() == format.font.familyName() && primary.styleName() == format.font.styleName();
    format.shift = recorder.texts[1].origin.y() - recorder.texts[0].origin.y();
    format.pitch = recorder.texts[1].width;
    if (!trueStyle(primary, asked))
        failed = true;

    format.glyphs.assign(0x100, 0);
    QString latin;
    for (char16_t c = 0; c < 0x100; ++c)
        latin += plainCharacter(c) ? QChar(c) : QChar(u' ');
    const QList<quint32> indexes = format.font.glyphIndexesForString(latin);
    if (indexes.size() == 0x100) {
        for (int c = 0x20; c < 0x100; ++c)
            format.glyphs[std::size_t(c)] = plainCharacter(char16_t(c)) ? indexes[c] : 0;
    }
    // Fixed pitch: every glyph one advance, the one measured.
    const QList<quint32> probe = format.font.glyphIndexesForString(QStringLiteral(" 0iMW.\u00e9"));
    const QList<QPointF> advances = format.font.advancesForGlyphIndexes(probe);
    format.fixed = own && !advances.isEmpty() && !probe.contains(0)
        && std::all_of(advances.cbegin(), advances.cend(), [&format](const QPointF &a) {
               return qAbs(a.x() - format.pitch) < 1e-6 && a.y() == 0;
           });
    format.bearing = qMax<qreal>(0, -QFontMetricsF(asked).minRightBearing());
}

const PageFlow::Impl::LineMeasure &PageFlow::Impl::lineMeasure(std::vector<int> &ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    const auto found = lineMeasures.find(ids);
    if (found != lineMeasures.end())
        return found->second;
    FlowParagraph sample;
    for (const int id : ids) {
        sample.runs.push_back({int(sample.text.size()), 1, id});
        sample.text += QLatin1Char('0');
    }
    QTextDocument *document = measuringDocument();
    fill(*document, sample);
    const QTextBlock block = document->begin();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    const QPointF origin = layout->blockBoundingRect(block).topLeft();
    const QTextLine line = block.layout()->lineAt(0);
    DrawRecorder &recorder = device.recorder();
    recorder.texts.clear();
    line.draw(&painter, origin);
    LineMeasure measure;
    measure.height = line.height();
    measure.lineAdvance = qCeil(line.ascent() + line.descent() + line.leading());
    measure.advance = layout->blockBoundingRect(block.next()).top() - (origin.y() + line.y());
    if (!recorder.texts.empty()) {
        const Format &first = formats[std::size_t(ids.front())];
        measure.baseline = recorder.texts.front().origin.y() - first.shift - (origin.y() + line.y());
    } else {
        failed = true;
    }
    return lineMeasures.emplace(ids, measure).first->second;
}

const PageFlow::Impl::LineMeasure &PageFlow::Impl::emptyLineMeasure(int mark)
{
    const auto found = emptyMeasures.find(mark);
    if (found != emptyMeasures.end())
        return found->second;
    FlowParagraph sample;
    sample.mark = mark;
    QTextDocument *document = measuringDocument();
    fill(*document, sample);
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    const QTextBlock block = document->begin();
    const qreal top = layout->blockBoundingRect(block).top();
    LineMeasure measure;
    measure.height = block.layout()->lineAt(0).height();
    measure.advance = layout->blockBoundingRect(block.next()).top() - top;
    return emptyMeasures.emplace(mark, measure).first->second;
}


void PageFlow::Impl::layOut(const FlowParagraph &paragraph)
{
    if (rightToLeft(paragraph.text)) {
        failed = true;
        return;
    }
    if (!work)
        work = scratch();
    const qreal paragraphTop = y;
    fill(*work, paragraph);
    QAbstractTextDocumentLayout *layout = work->documentLayout();
    const QTextBlock block = work->begin();
    const QTextLayout *text = block.layout();
    const QPointF origin = layout->blockBoundingRect(block).topLeft() - text->boundingRect().topLeft();
    const qreal end = layout->blockBoundingRect(block.next()).top();
    DrawRecorder &recorder = device.recorder();
    for (int i = 0; i < text->lineCount(); ++i) {
        const QTextLine line = text->lineAt(i);
        const qreal top = origin.y() + line.y();
        const qreal next = i + 1 < text->lineCount() ? origin.y() + text->lineAt(i + 1).y() : end;
        recorder.texts.clear();
        recorder.fills.clear();
        line.draw(&painter, origin);
        if (recorder.unexpected)
            failed = true;
        FlowLine out;
        out.top = paragraphTop + (top - origin.y());
        out.height = line.height();
        for (FlowFill fill : recorder.fills) {
            fill.rect.translate(0, out.top - top);
            out.fills.push_back(fill);
        }
        for (const QGlyphRun &run : line.glyphRuns()) {
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            if (indexes.isEmpty())
                continue;
            // The item it belongs to: the one whose width holds its first glyph.
            const qreal x = origin.x() + positions.first().x();
            const auto item = std::find_if(recorder.texts.cbegin(), recorder.texts.cend(), [x](const DrawnText &t) {
                return !t.text.isEmpty() && x >= t.origin.x() - 0.01 && x < t.origin.x() + qMax<qreal>(t.width, 0.02);
            });
            if (item == recorder.texts.cend()) {
                failed = true;
                continue;
            }
            out.runs.push_back({run.rawFont(), item->color, item->origin.y() + out.top - top, out.glyphs.size(),
                                std::size_t(indexes.size())});
            for (qsizetype g = 0; g < indexes.size(); ++g) {
                out.glyphs.push_back(indexes[g]);
                out.x.push_back(origin.x() + positions[g].x());
            }
        }
        const bool lastEmpty = i + 1 == text->lineCount() && line.textStart() >= paragraph.text.size();
        place(std::move(out), next - top, lastEmpty);
    }
}


int PageFlow::addFormat(const QTextCharFormat &format)
{
    for (std::size_t known = 1; known < m_impl->formats.size(); ++known) {
        if (m_impl->formats[known].format == format)
            return int(known);
    }
    const int id = int(m_impl->formats.size());
    Impl::Format entry;
    entry.format = format;
    const QBrush foreground = format.foreground();
    if (foreground.style() != Qt::NoBrush)
        entry.color = foreground.color();
    const QBrush background = format.background();
    if (background.style() != Qt::NoBrush)
        entry.background = background.color();
    if (!draws(format)) {
        m_impl->formats.push_back(entry);
        m_impl->failed = true;
        return id;
    }
    // Measured once in a process for a resolution and default font: the
    // subject and the answer key share most of their formats.
    struct Measured
    {
        qreal dpi;
        QFont font;
        Impl::Format format;
        bool ok;
    };
    static std::vector<Measured> measured;
    static bool registered = false;
    if (!registered) {
        // Its fonts must go with the application, before the font database.
        qAddPostRoutine([] { measured.clear(); });
        registered = true;
    }
    const auto known = std::find_if(measured.cbegin(), measured.cend(), [&](const Measured &m) {
        return m.dpi == m_impl->settings.dpi && m.font == m_impl->settings.font && m.format.format == format;
    });
    if (known != measured.cend()) {
        m_impl->formats.push_back(known->format);
        m_impl->failed = m_impl->failed || !known->ok;
        return id;
    }
    m_impl->formats.push_back(entry);
    const bool before = m_impl->failed;
    m_impl->failed = false;
    m_impl->measureFormat(m_impl->formats.back(), id);
    const bool ok = !m_impl->failed;
    m_impl->failed = before || !ok;
    if (measured.size() >= 256)
        measured.clear();
    measured.push_back({m_impl->settings.dpi, m_impl->settings.font, m_impl->formats.back(), ok});
    return id;
}


bool FlowDocument(const QTextDocument &document, PageFlow &flow)
{
    std::map<int, int> ids; // the document's format numbers to the flow's
    const auto idOf = [&](int index, const QTextCharFormat &format) {
        const auto found = ids.find(index);
        return found != ids.end() ? found->second : ids.emplace(index, flow.addFormat(format)).first->second;
    };
    // The document may be gone once a page is made (a print job lets events
    // run between pages): once done, it is not looked at again.
    for (QTextBlock block = document.begin(); block.isValid() && !flow.done();) {
        FlowParagraph paragraph;
        paragraph.text = block.text();
        paragraph.mark = idOf(block.charFormatIndex(), block.charFormat());
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(QTextFormat::BlockAlignment))
            paragraph.alignment = format.alignment();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.length() > 0)
                paragraph.runs.push_back({fragment.position() - block.position(), fragment.length(),
                                          idOf(fragment.charFormatIndex(), fragment.charFormat())});
        }
        flow.add(paragraph);
        if (!flow.done())
            block = block.next();
    }
    return flow.finish();
}


} // namespace oxeln
