#include "RtfBuilder.h"

#include "RtfCodePage.h"

#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextDocument>

namespace oxeln::rtf {

namespace {

constexpr int kSymbolCodePage = -2; // \fcharset2: bytes map to U+F0hh
constexpr size_t kMaxCachedFormats = 4096;

int charsetCodePage(int charset, int ansiCodePage)
{
    switch (charset) {
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return ansiCodePage;
    }
}

bool isTextChar(char16_t c)
{
    return (c >= 0x20 || c == u'\t') && c != QChar::ParagraphSeparator && c != 0xFDD0
        && c != 0xFDD1 && c != 0xFFFC && c != 0xFFFE && c != 0xFFFF;
}

} // namespace

void DocumentTarget::beginEdit()
{
    // At the end, wherever edits undone since the last reading left it.
    m_cursor.movePosition(QTextCursor::End);
    m_cursor.beginEditBlock();
}

void DocumentTarget::insertBlock(const CharState &, const QTextCharFormat &format)
{
    m_cursor.insertBlock(QTextBlockFormat(), format);
}

void DocumentTarget::setAlignment(Align align)
{
    QTextBlockFormat block = m_cursor.blockFormat();
    block.setAlignment(toQtAlignment(align));
    m_cursor.setBlockFormat(block);
}

Builder::Builder(Target &target) : m_target(target), m_wantsFormats(target.wantsFormats()) {}

Builder::~Builder() = default;

void Builder::tablesChanged()
{
    flush();
    m_codePageFont = -2;
    m_formats.clear();
    m_markSet = false;
    m_target.formatsChanged();
}

QHash<int, FontEntry> &Builder::editFonts()
{
    tablesChanged();
    return m_fonts;
}

QList<QColor> &Builder::editColors()
{
    tablesChanged();
    return m_colors;
}

void Builder::setAnsiCodePage(int codePage)
{
    tablesChanged();
    m_ansiCodePage = codePage;
}

void Builder::setDefaultFont(int font)
{
    tablesChanged();
    m_defaultFont = font;
}

void Builder::appendByte(const CharState &state, std::uint8_t byte)
{
    if (byte < 0x20) {
        if (byte == '\t')
            appendChar(state, u'\t');
        return;
    }
    const int cp = codePage(state);
    if (cp == 1252) {
        appendChar(state, cp1252::toUnicode(byte));
    } else if (cp == kSymbolCodePage) {
        appendChar(state, char16_t(0xF000 | byte));
    } else {
        prepare(state);
        if (m_bytesCodePage != cp)
            decodePendingBytes();
        m_bytes.append(char(byte));
        m_bytesCodePage = cp;
    }
}

void Builder::appendBytes(const CharState &state, const char *bytes, qsizetype count)
{
    const int cp = codePage(state);
    if (cp != 1252 && cp != kSymbolCodePage) {
        for (qsizetype i = 0; i < count; ++i)
            appendByte(state, std::uint8_t(bytes[i]));
        return;
    }
    prepare(state);
    decodePendingBytes();
    const qsizetype start = m_buffer.size();
    m_buffer.resize(start + count);
    QChar *out = m_buffer.data() + start;
    for (qsizetype i = 0; i < count; ++i) {
        const auto b = std::uint8_t(bytes[i]);
        if (b >= 0x20)
            *out++ = QChar(cp == 1252 ? cp1252::toUnicode(b) : char16_t(0xF000 | b));
        else if (b == '\t')
            *out++ = QChar(u'\t');
    }
    m_buffer.truncate(out - m_buffer.constData());
}

void Builder::appendChar(const CharState &state, char16_t c)
{
    if (!isTextChar(c))
        return;
    prepare(state);
    decodePendingBytes();
    m_buffer.append(QChar(c));
}

void Builder::appendSurrogatePair(const CharState &state, char16_t high, char16_t low)
{
    prepare(state);
    decodePendingBytes();
    m_buffer.append(QChar(high));
    m_buffer.append(QChar(low));
}

void Builder::paragraph(const CharState &state, Align align)
{
    endBlock(state, align);
    m_target.insertBlock(state, format(state));
    m_blockHasText = false;
    m_markState = state;
    m_markSet = true;
    m_blockAlign = Align::Left;
}

void Builder::finish(const CharState &state, Align align)
{
    m_finishedEarly = !m_bytes.isEmpty();
    endBlock(state, align);
}

void Builder::endBlock(const CharState &state, Align align)
{
    flush();
    // An empty paragraph takes its height from its mark's format.
    if (!m_blockHasText && (!m_markSet || state != m_markState)) {
        m_target.setMark(state, format(state));
        m_markState = state;
        m_markSet = true;
    }
    if (align != m_blockAlign) {
        m_target.setAlignment(align);
        m_blockAlign = align;
    }
}

void Builder::prepare(const CharState &state)
{
    if (state != m_bufferState) {
        if (!m_buffer.isEmpty() || !m_bytes.isEmpty())
            flush();
        m_bufferState = state;
    }
}

void Builder::decodePendingBytes()
{
    if (m_bytes.isEmpty())
        return;
    QStringDecoder *decoder = decoderFor(m_bytesCodePage);
    const QString text = decoder ? QString(decoder->decode(m_bytes)) : cp1252::decode(m_bytes);
    m_bytes.clear();
    for (const QChar c : text) {
        if (isTextChar(c.unicode()))
            m_buffer.append(c);
    }
}

void Builder::flush()
{
    decodePendingBytes();
    if (m_buffer.isEmpty())
        return;
    if (!m_bufferState.hidden) {
        m_target.insertText(m_buffer, m_bufferState, format(m_bufferState));
        m_blockHasText = true;
    }
    m_buffer.clear();
}

int Builder::codePage(const CharState &state)
{
    const int font = state.font < 0 ? m_defaultFont : state.font;
    if (font != m_codePageFont) {
        m_codePageFont = font;
        const auto it = m_fonts.constFind(font);
        if (it == m_fonts.constEnd())
            m_codePage = m_ansiCodePage;
        else if (it->codePage > 0 && it->charset != 2)
            m_codePage = it->codePage;
        else
            m_codePage = charsetCodePage(it->charset, m_ansiCodePage);
    }
    return m_codePage;
}

QStringDecoder *Builder::decoderFor(int codePage)
{
    auto &slot = m_decoders[codePage];
    if (!slot) {
        const QByteArray number = QByteArray::number(codePage);
        const QByteArray names[] = {codePage == 10000 ? QByteArray("macintosh") : "windows-" + number,
                                    "cp" + number, "ibm-" + number};
        for (const QByteArray &name : names) {
            auto decoder = std::make_unique<QStringDecoder>(name.constData());
            if (decoder->isValid()) {
                slot = std::move(decoder);
                break;
            }
        }
    }
    return slot.get();
}

const QTextCharFormat &Builder::format(const CharState &state)
{
    if (!m_wantsFormats)
        return m_noFormat;
    if (m_formats.size() > kMaxCachedFormats)
        m_formats.clear();
    const auto found = m_formats.find(state);
    if (found != m_formats.end())
        return found->second;

    QTextCharFormat fmt;
    const auto entry = m_fonts.constFind(state.font < 0 ? m_defaultFont : state.font);
    if (entry != m_fonts.constEnd() && !entry->name.isEmpty()) {
        fmt.setFontFamilies(QStringList{entry->name});
        if (entry->hint != QFont::AnyStyle)
            fmt.setFontStyleHint(entry->hint);
    }
    fmt.setFontPointSize(state.fontSize / 2.0);
    fmt.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
    fmt.setFontItalic(state.italic);
    fmt.setFontUnderline(state.underline);
    fmt.setFontStrikeOut(state.strike);
    fmt.setVerticalAlignment(state.vertical == 1   ? QTextCharFormat::AlignSuperScript
                             : state.vertical == 2 ? QTextCharFormat::AlignSubScript
                                                   : QTextCharFormat::AlignNormal);
    if (state.foreColor < m_colors.size() && m_colors.at(state.foreColor).isValid())
        fmt.setForeground(m_colors.at(state.foreColor));
    // Background index 0 means none, whatever the table holds there.
    if (state.backColor > 0 && state.backColor < m_colors.size()
        && m_colors.at(state.backColor).isValid()) {
        fmt.setBackground(m_colors.at(state.backColor));
    }
    return m_formats.emplace(state, fmt).first->second;
}

} // namespace oxeln::rtf
