#include "RtfWriter.h"

#include "RtfCodePage.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>

#include <cmath>
#include <unordered_map>

namespace oxeln {

namespace {

constexpr int kDefaultFontSize = 24; // half-points, what \plain means

// One run's character properties, with its fonts and colours as indexes
// of the tables being written.
struct RunState
{
    int font = 0;
    int fontSize = kDefaultFontSize;
    int foreColor = 0;
    int backColor = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool symbol = false; // Symbol font: U+F0hh is written as the byte hh
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
};

struct FontKey
{
    QString family;
    QFont::StyleHint hint;
};

class Writer
{
public:
    Writer(const QTextDocument *document, qreal dpi) : m_document(document), m_dpi(dpi) {}

    QByteArray run();

private:
    const RunState &stateFor(int formatIndex);
    int fontIndex(const QString &family, QFont::StyleHint hint);
    int colorIndex(const QBrush &brush);
    void switchTo(const RunState &next);
    void writeText(const QString &text, bool symbol);
    void writeHeader();

    const QTextDocument *m_document;
    qreal m_dpi;
    QList<QTextFormat> m_formats;
    std::unordered_map<int, RunState> m_states;
    QList<FontKey> m_fonts;
    QList<QColor> m_colors; // entry 0, "automatic", is implicit
    RunState m_current;
    QByteArray m_body;
};

QByteArray Writer::run()
{
    m_formats = m_document->allFormats();
    m_body.reserve(m_document->characterCount() * 2 + 256);

    Qt::Alignment currentAlign = Qt::AlignLeft;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (align != currentAlign) {
            m_body += "\\pard";
            if (align & Qt::AlignRight)
                m_body += "\\qr";
            else if (align & Qt::AlignHCenter)
                m_body += "\\qc";
            else if (align & Qt::AlignJustify)
                m_body += "\\qj";
            m_body += ' ';
            currentAlign = align;
        }
        bool empty = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.length() == 0)
                continue;
            const RunState &state = stateFor(fragment.charFormatIndex());
            switchTo(state);
            writeText(fragment.text(), state.symbol);
            empty = false;
        }
        // An empty paragraph's height comes from its mark's format.
        if (empty)
            switchTo(stateFor(block.charFormatIndex()));
        if (block.next().isValid())
            m_body += "\\par\r\n";
    }

    writeHeader();
    return m_body;
}

void Writer::writeHeader()
{
    QByteArray head = "{\\rtf1\\ansi\\ansicpg1252\\deff0";
    const qreal tab = m_document->defaultTextOption().tabStopDistance();
    head += "\\deftab" + QByteArray::number(qMax(1, int(std::lround(tab * 1440.0 / m_dpi))));
    head += "{\\fonttbl";
    if (m_fonts.isEmpty())
        m_fonts.append({m_document->defaultFont().family(), QFont::AnyStyle});
    for (int i = 0; i < m_fonts.size(); ++i) {
        const FontKey &font = m_fonts.at(i);
        const char *family = font.hint == QFont::TypeWriter ? "\\fmodern"
                             : font.hint == QFont::Serif    ? "\\froman"
                             : font.hint == QFont::SansSerif ? "\\fswiss"
                                                             : "\\fnil";
        const bool symbol = font.family.compare(u"Symbol", Qt::CaseInsensitive) == 0;
        head += "{\\f" + QByteArray::number(i) + family + (symbol ? "\\fcharset2 " : "\\fcharset0 ");
        QByteArray saved;
        saved.swap(m_body);
        writeText(font.family, false);
        saved.swap(m_body);
        head += saved + ";}";
    }
    head += "}\r\n{\\colortbl ;";
    for (const QColor &c : std::as_const(m_colors)) {
        head += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green())
            + "\\blue" + QByteArray::number(c.blue()) + ';';
    }
    head += "}\r\n\\viewkind4\\uc1\\pard\\plain ";
    m_body.prepend(head);
    m_body += "}\r\n";
}

const RunState &Writer::stateFor(int formatIndex)
{
    const auto found = m_states.find(formatIndex);
    if (found != m_states.end())
        return found->second;

    const QTextCharFormat fmt = formatIndex >= 0 && formatIndex < m_formats.size()
        ? m_formats.at(formatIndex).toCharFormat()
        : QTextCharFormat();
    // Properties the format leaves unset come from the document's font.
    const QFont font = fmt.font().resolve(m_document->defaultFont());
    RunState s;
    const QString family = font.families().value(0, font.family());
    s.font = fontIndex(family, fmt.hasProperty(QTextFormat::FontStyleHint) ? font.styleHint()
                                                                             : QFont::AnyStyle);
    s.symbol = family.compare(u"Symbol", Qt::CaseInsensitive) == 0;
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF()
        : font.pixelSize() > 0              ? font.pixelSize() * 72.0 / m_dpi
                                            : kDefaultFontSize / 2.0;
    s.fontSize = qBound(1, int(std::lround(points * 2)), 3276);
    s.bold = font.weight() >= QFont::DemiBold;
    s.italic = font.italic();
    s.underline = font.underline();
    s.strike = font.strikeOut();
    s.vertical = fmt.verticalAlignment();
    if (s.vertical != QTextCharFormat::AlignSuperScript && s.vertical != QTextCharFormat::AlignSubScript)
        s.vertical = QTextCharFormat::AlignNormal;
    s.foreColor = colorIndex(fmt.foreground());
    s.backColor = colorIndex(fmt.background());
    return m_states.emplace(formatIndex, s).first->second;
}

int Writer::fontIndex(const QString &family, QFont::StyleHint hint)
{
    for (int i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts.at(i).family == family)
            return i;
    }
    m_fonts.append({family, hint});
    return int(m_fonts.size() - 1);
}

int Writer::colorIndex(const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return 0;
    const QColor color = brush.color().toRgb();
    for (int i = 0; i < m_colors.size(); ++i) {
        if (m_colors.at(i).rgb() == color.rgb())
            return i + 1;
    }
    m_colors.append(color);
    return int(m_colors.size());
}

void Writer::switchTo(const RunState &next)
{
    RunState &cur = m_current;
    const qsizetype before = m_body.size();
    const auto flag = [this](bool on, const char *set, const char *clear) {
        m_body += on ? set : clear;
    };
    if (next.font != cur.font)
        m_body += "\\f" + QByteArray::number(next.font);
    if (next.fontSize != cur.fontSize)
        m_body += "\\fs" + QByteArray::number(next.fontSize);
    if (next.bold != cur.bold)
        flag(next.bold, "\\b", "\\b0");
    if (next.italic != cur.italic)
        flag(next.italic, "\\i", "\\i0");
    if (next.underline != cur.underline)
        flag(next.underline, "\\ul", "\\ulnone");
    if (next.strike != cur.strike)
        flag(next.strike, "\\strike", "\\strike0");
    if (next.vertical != cur.vertical) {
        m_body += next.vertical == QTextCharFormat::AlignSuperScript ? "\\super"
                  : next.vertical == QTextCharFormat::AlignSubScript ? "\\sub"
                                                                      : "\\nosupersub";
    }
    if (next.foreColor != cur.foreColor)
        m_body += "\\cf" + QByteArray::number(next.foreColor);
    if (next.backColor != cur.backColor)
        m_body += "\\highlight" + QByteArray::number(next.backColor);
    if (m_body.size() != before)
        m_body += ' ';
    cur = next;
}

void Writer::writeText(const QString &text, bool symbol)
{
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= 0x20 && c < 0x80 && !symbol) {
            if (c == '\\' || c == '{' || c == '}')
                m_body += '\\';
            m_body += char(c);
            continue;
        }
        switch (c) {
        case u'\t': m_body += "\\tab "; continue;
        case QChar::LineSeparator: m_body += "\\line "; continue;
        case 0x00A0: m_body += "\\~"; continue;
        case 0x00AD: m_body += "\\-"; continue;
        case 0x2011: m_body += "\\_"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1)
            continue; // structure, not text
        // In a Symbol-charset font every byte reads as U+F0hh: only those
        // characters are bytes there, the rest must be written as \u.
        const int byte = !symbol                        ? cp1252::fromUnicode(c)
                         : c >= 0xF020 && c <= 0xF0FF ? (c & 0xFF)
                                                       : -1;
        if (byte == '\\' || byte == '{' || byte == '}') {
            m_body += '\\';
            m_body += char(byte);
        } else if (byte >= 0x80) {
            static constexpr char kHex[] = "0123456789abcdef";
            m_body += "\\'";
            m_body += kHex[byte >> 4];
            m_body += kHex[byte & 15];
        } else if (byte >= 0x20) {
            m_body += char(byte);
        } else {
            // Outside Windows-1252: the Unicode value, signed 16-bit, then
            // the one fallback character that \uc1 tells readers to skip.
            m_body += "\\u" + QByteArray::number(int(std::int16_t(c))) + '?';
        }
    }
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument *document, qreal dpi)
{
    return Writer(document, dpi).run();
}

} // namespace oxeln
