#include "RtfReader.h"

#include "PageFlow.h"
#include "RtfParser.h"
#include "RtfTokenizer.h"

#include <QTextDocument>
#include <QTextOption>

#include <map>

namespace oxeln {

class RtfReader::Impl
{
public:
    Impl(QTextDocument *document, qreal dpi) : target(document), parser(target), document(document), dpi(dpi) {}

    void read(const QByteArray &data, qsizetype start, qsizetype base = 0)
    {
        const bool undo = document->isUndoRedoEnabled();
        document->setUndoRedoEnabled(false);
        parser.run(data, start, base);
        // Setting the option makes the whole document lay out again: only
        // when the tab stop really changes, not after every drill.
        const qreal tabStop = parser.defTabTwips() * dpi / 1440.0;
        if (document->defaultTextOption().tabStopDistance() != tabStop) {
            QTextOption option = document->defaultTextOption();
            option.setTabStopDistance(tabStop);
            document->setDefaultTextOption(option);
        }
        document->setUndoRedoEnabled(undo);
        // Shared with the caller, never copied; borrowed bytes may be gone
        // by the next call, and the end of a text is not the text: neither
        // is kept.
        QByteArray shared = data;
        source = base == 0 && shared.data_ptr().isMutable() ? std::move(shared) : QByteArray();
    }

    rtf::DocumentTarget target;
    rtf::Parser parser;
    QTextDocument *document;
    qreal dpi;
    QByteArray source;
};

namespace {

// Only the text, as ContentText() gives it of the document read.
class PlainTextTarget : public rtf::Target
{
public:
    bool wantsFormats() const override { return false; }
    void insertText(const QString &text, const rtf::CharState &, const QTextCharFormat &) override
    {
        if (!text.contains(QChar::LineSeparator)) {
            m_text += text;
            return;
        }
        for (const QChar c : text) {
            if (c == QChar::LineSeparator)
                m_text += QLatin1String("\r\n");
            else
                m_text += c;
        }
    }
    void insertBlock(const rtf::CharState &, const QTextCharFormat &) override { m_text += QLatin1String("\r\n"); }
    void setMark(const rtf::CharState &, const QTextCharFormat &) override {}
    void setAlignment(rtf::Align) override {}

    QString m_text;
};

// Paragraph by paragraph into a page flow, as a document would hold them.
class FlowTarget : public rtf::Target
{
public:
    explicit FlowTarget(PageFlow &flow) : m_flow(flow) { m_paragraph.mark = flow.addFormat(QTextCharFormat()); }

    void insertText(const QString &text, const rtf::CharState &state, const QTextCharFormat &format) override
    {
        m_paragraph.runs.push_back({int(m_paragraph.text.size()), int(text.size()), idOf(state, format)});
        m_paragraph.text += text;
    }
    void insertBlock(const rtf::CharState &state, const QTextCharFormat &format) override
    {
        if (m_tabStop < 0) {
            m_tabStop = parser->defTabTwips();
            m_flow.setViewTabStop(m_tabStop * m_dpi / 1440.0);
        }
        m_flow.add(m_paragraph);
        m_paragraph.text.truncate(0); // keeps its room for the next
        m_paragraph.runs.clear();
        m_paragraph.alignment.reset();
        m_paragraph.mark = idOf(state, format);
    }
    void setMark(const rtf::CharState &state, const QTextCharFormat &format) override
    {
        m_paragraph.mark = idOf(state, format);
    }
    void setAlignment(rtf::Align align) override
    {
        m_paragraph.alignment = rtf::toQtAlignment(align);
    }
    void formatsChanged() override { m_ids.clear(); }

    // The last paragraph; false when the tab stop moved after paragraphs
    // were laid out with another.
    bool finish()
    {
        if (m_tabStop >= 0 && parser->defTabTwips() != m_tabStop)
            return false;
        if (m_tabStop < 0)
            m_flow.setViewTabStop(parser->defTabTwips() * m_dpi / 1440.0);
        m_flow.add(m_paragraph);
        return m_flow.finish();
    }

    const rtf::Parser *parser = nullptr;
    qreal m_dpi = 96;

private:
    int idOf(const rtf::CharState &state, const QTextCharFormat &format)
    {
        const auto found = m_ids.find(state);
        return found != m_ids.end() ? found->second : m_ids.emplace(state, m_flow.addFormat(format)).first->second;
    }

    PageFlow &m_flow;
    std::map<rtf::CharState, int> m_ids;
    FlowParagraph m_paragraph;
    int m_tabStop = -1;
};

} // namespace

bool RtfReader::flow(const QByteArray &rtf, PageFlow &into, qreal dpi)
{
    FlowTarget target(into);
    target.m_dpi = dpi;
    rtf::Parser parser(target);
    target.parser = &parser;
    parser.run(rtf, 0);
    return target.finish();
}

QString RtfReader::plainText(const QByteArray &rtf)
{
    PlainTextTarget target;
    rtf::Parser parser(target);
    parser.run(rtf, 0);
    return std::move(target.m_text);
}

bool RtfReader::isRtf(const QByteArray &data)
{
    return data.startsWith("{\\rtf");
}

void RtfReader::read(const QByteArray &rtf, QTextDocument *document, qreal dpi)
{
    RtfReader reader(rtf, document, dpi);
}

RtfReader::RtfReader(const QByteArray &rtf, QTextDocument *document, qreal dpi)
{
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    document->clear();
    document->setUndoRedoEnabled(undo);
    m_impl = std::make_unique<Impl>(document, dpi);
    m_impl->read(rtf, 0);
}

RtfReader::~RtfReader() = default;

bool RtfReader::canResume(const QByteArray &longer) const
{
    const qsizetype stop = resumeOffset();
    // Reading stops at a "}" followed only by blanks. Were longer blank from
    // stop on, a "}" before stop that was read as a stray brace could be that
    // last one in longer: then only a reading from scratch is right.
    return stop >= 0 && longer.size() > stop && m_impl->source.size() > stop
        && QByteArrayView(longer).first(stop) == QByteArrayView(m_impl->source).first(stop)
        && rtf::Tokenizer::hasContentFrom(longer.constData(), longer.size(), stop);
}

void RtfReader::resume(const QByteArray &longer)
{
    Q_ASSERT(canResume(longer));
    m_impl->read(longer, m_impl->parser.stop());
}

qsizetype RtfReader::resumeOffset() const
{
    return m_impl->parser.resumable() ? m_impl->parser.stop() : -1;
}

bool RtfReader::canResumeKnown(const QByteArray &tail, qsizetype tailOffset) const
{
    const qsizetype at = resumeOffset();
    return at >= tailOffset && at < tailOffset + tail.size()
        && rtf::Tokenizer::hasContentFrom(tail.constData(), tail.size(), at - tailOffset);
}

void RtfReader::resumeKnown(const QByteArray &tail, qsizetype tailOffset)
{
    Q_ASSERT(canResumeKnown(tail, tailOffset));
    m_impl->read(tail, resumeOffset() - tailOffset, tailOffset);
}

} // namespace oxeln

