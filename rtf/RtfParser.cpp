#include "RtfParser.h"

#include "RtfCodePage.h"
#include "RtfReader.h"

namespace oxeln::rtf {

namespace {

constexpr int kMaxFontSize = 3276; // half-points
constexpr int kMaxTabTwips = 32767;
constexpr int kMaxFontNameLength = 256;

} // namespace

void Parser::run(const QByteArray &data, qsizetype start, qsizetype base)
{
    rtf::Tokenizer tokenizer(data.constData(), data.size(), start);
    m_builder.beginEdit();
    m_stop = -1;
    bool lastOpen = false;
    for (Token token = tokenizer.next(); token.kind != Token::Kind::End; token = tokenizer.next()) {
        if (token.kind == Token::Kind::GroupClose && tokenizer.atTail()) {
            m_stop = base + tokenizer.offset() - 1; // the document's last "}": nothing visible follows
            break;
        }
        lastOpen = token.open;
        if (m_skip > 0) {
            // Fallback after \uN: each byte, \'hh or control counts one.
            if (token.kind == Token::Kind::GroupOpen || token.kind == Token::Kind::GroupClose) {
                m_skip = 0;
            } else if (token.kind == Token::Kind::Text) {
                const qsizetype n = qMin<qsizetype>(m_skip, token.textSize);
                m_skip -= int(n);
                token.text += n;
                token.textSize -= n;
                if (token.textSize == 0)
                    continue;
            } else {
                --m_skip;
                continue;
            }
        }
        switch (token.kind) {
        case Token::Kind::GroupOpen: openGroup(); break;
        case Token::Kind::GroupClose: closeGroup(); break;
        case Token::Kind::Word: word(token); break;
        case Token::Kind::Symbol: symbol(token.symbol); break;
        case Token::Kind::Hex: byte(token.byte); break;
        case Token::Kind::Text:
            if (inText() && !m_pendingHigh) {
                m_builder.appendBytes(top().chr, token.text, token.textSize);
            } else {
                for (qsizetype i = 0; i < token.textSize; ++i)
                    byte(std::uint8_t(token.text[i]));
            }
            break;
        case Token::Kind::End: break;
        }
    }
    m_openEnd = lastOpen || m_pendingHigh != 0;
    dropPendingHigh();
    // The text so far ends in the innermost group that holds text.
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (it->dest == Destination::Text || it + 1 == m_stack.rend()) {
            m_builder.finish(it->chr, it->align);
            break;
        }
    }
    m_openEnd = m_openEnd || m_builder.finishedEarly();
    m_builder.endEdit();
}

void Parser::openGroup()
{
    if (m_stack.size() > size_t(RtfReader::kMaxDepth)) {
        ++m_overflow;
        return;
    }
    GroupState state = top();
    state.starPending = false;
    m_stack.push_back(state);
}

void Parser::closeGroup()
{
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    // Level 1 is the document's own group: a "}" closing it early (an
    // unescaped brace in the text) is ignored, as is any stray "}".
    if (m_stack.size() <= 2)
        return;
    const Destination dest = top().dest;
    m_stack.pop_back();
    if (dest == Destination::FontTable && !m_fontName.isEmpty())
        commitFont(); // an entry closed without its ";"
}

void Parser::word(const Token &token)
{
    const rtf::KeywordInfo info = token.nameTooLong ? rtf::KeywordInfo{} : rtf::lookupKeyword(token.name);
    const Keyword k = info.keyword;
    const int param = token.param;
    GroupState &g = top();

    // Past the depth limit only words that produce text count: a change of
    // state there could not be undone when its group closes.
    if (m_overflow > 0) {
        switch (k) {
        case Keyword::U: case Keyword::Par: case Keyword::Line: case Keyword::Tab:
        case Keyword::Cell: case Keyword::Row: case Keyword::Special:
            break;
        default:
            return;
        }
    } else if (g.starPending) {
        g.starPending = false;
        if (k == Keyword::Ud) {
            g.dest = g.beforeUpr;
            return;
        }
        if (k != Keyword::FontTable && k != Keyword::ColorTable) {
            g.dest = Destination::Skip;
            return;
        }
    }
    if (g.dest == Destination::Skip)
        return;

    switch (k) {
    case Keyword::Unknown: return;
    case Keyword::Ansi: m_builder.setAnsiCodePage(1252); return;
    case Keyword::Mac: m_builder.setAnsiCodePage(10000); return;
    case Keyword::Pc: m_builder.setAnsiCodePage(437); return;
    case Keyword::Pca: m_builder.setAnsiCodePage(850); return;
    case Keyword::AnsiCpg:
        if (token.hasParam && param > 0)
            m_builder.setAnsiCodePage(param);
        return;
    case Keyword::Deff:
        if (token.hasParam)
            m_builder.setDefaultFont(param);
        return;
    case Keyword::DefTab:
        if (token.hasParam && param > 0)
            m_defTabTwips = qMin(param, kMaxTabTwips);
        return;
    case Keyword::Uc: g.uc = std::uint8_t(qBound(0, token.hasParam ? param : 1, 10)); return;
    case Keyword::U:
        if (token.hasParam) {
            unicode(param);
            m_skip = g.uc;
        }
        return;
    case Keyword::Upr: g.beforeUpr = g.dest; g.dest = Destination::Skip; return;
    case Keyword::Ud: return;
    case Keyword::FontTable:
        g.dest = Destination::FontTable;
        m_fontId = -1;
        m_fontName.clear();
        return;
    case Keyword::ColorTable:
        g.dest = Destination::ColorTable;
        m_builder.editColors().clear();
        m_colorSet = false;
        return;
    case Keyword::SkipDestination: g.dest = Destination::Skip; return;
    default: break;
    }

    if (g.dest == Destination::FontTable) {
        if (k == Keyword::F) {
            if (!m_fontName.isEmpty())
                commitFont();
            m_fontId = token.hasParam ? param : 0;
            m_builder.editFonts()[m_fontId].name.clear();
            return;
        }
        if (k != Keyword::FCharset && k != Keyword::Cpg && k != Keyword::FRoman && k != Keyword::FSwiss
            && k != Keyword::FModern) {
            return;
        }
        auto &fonts = m_builder.editFonts();
        const auto entry = fonts.find(m_fontId);
        if (entry == fonts.end())
            return;
        switch (k) {
        case Keyword::FCharset: entry->charset = param; break;
        case Keyword::Cpg: entry->codePage = param; break;
        case Keyword::FRoman: entry->hint = QFont::Serif; break;
        case Keyword::FSwiss: entry->hint = QFont::SansSerif; break;
        default: entry->hint = QFont::TypeWriter; break;
        }
        return;
    }
    if (g.dest == Destination::ColorTable) {
        const int v = qBound(0, param, 255);
        switch (k) {
        case Keyword::Red: m_red = v; m_colorSet = true; break;
        case Keyword::Green: m_green = v; m_colorSet = true; break;
        case Keyword::Blue: m_blue = v; m_colorSet = true; break;
        default: break;
        }
        return;
    }
    textWord(info, token);
}

void Parser::textWord(rtf::KeywordInfo info, const Token &token)
{
    GroupState &g = top();
    CharState &c = g.chr;
    const int param = token.param;
    const bool on = !token.hasParam || param != 0;
    const int index = token.hasParam ? qMax(0, param) : 0; // checked against the table later
    switch (info.keyword) {
    case Keyword::F: if (token.hasParam) c.font = param; break;
    case Keyword::Plain: c = CharState(); break;
    case Keyword::Bold: c.bold = on; break;
    case Keyword::Italic: c.italic = on; break;
    case Keyword::Underline: c.underline = on; break;
    case Keyword::UnderlineNone: c.underline = false; break;
    case Keyword::Strike: c.strike = on; break;
    case Keyword::Super: c.vertical = on ? 1 : 0; break;
    case Keyword::Sub: c.vertical = on ? 2 : 0; break;
    case Keyword::NoSuperSub: c.vertical = 0; break;
    case Keyword::Up: c.vertical = on ? 1 : 0; break;
    case Keyword::Down: c.vertical = on ? 2 : 0; break;
    case Keyword::FontSize:
        c.fontSize = token.hasParam && param > 0 ? qMin(param, kMaxFontSize) : rtf::kDefaultFontSize;
        break;
    case Keyword::ForeColor: c.foreColor = index; break;
    case Keyword::Highlight:
    case Keyword::BackColor: c.backColor = index; break;
    case Keyword::Hidden: c.hidden = on; break;
    case Keyword::Pard:
    case Keyword::AlignLeft: g.align = Align::Left; break;
    case Keyword::AlignRight: g.align = Align::Right; break;
    case Keyword::AlignCenter: g.align = Align::Center; break;
    case Keyword::AlignJustify: g.align = Align::Justify; break;
    case Keyword::Par:
    case Keyword::Row: paragraph(); break;
    case Keyword::Line: appendChar(QChar::LineSeparator); break;
    case Keyword::Tab:
    case Keyword::Cell: appendChar(u'\t'); break;
    case Keyword::Special: appendChar(info.character); break;
    default: break;
    }
}

void Parser::symbol(char c)
{
    switch (c) {
    case '*':
        if (m_overflow == 0)
            top().starPending = true;
        break;
    case '\\': case '{': case '}': byte(std::uint8_t(c)); break;
    case '~': appendChar(0x00A0); break;
    case '-': appendChar(0x00AD); break;
    case '_': appendChar(0x2011); break;
    case '\n': paragraph(); break;
    case '\t': appendChar(u'\t'); break;
    default: break; // \: \| and the like carry nothing visible
    }
}

void Parser::byte(std::uint8_t b)
{
    switch (top().dest) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        if (b == ';')
            commitFont();
        else if (b >= 0x20 && m_fontName.size() < kMaxFontNameLength)
            m_fontName.append(QChar(cp1252::toUnicode(b)));
        return;
    case Destination::ColorTable:
        if (b == ';')
            commitColor();
        return;
    case Destination::Text:
        dropPendingHigh();
        m_builder.appendByte(top().chr, b);
        return;
    }
}

void Parser::unicode(int value)
{
    if (value < 0)
        value += 65536;
    if (top().dest == Destination::FontTable) {
        if (value >= 0x20 && value < 0xD800 && m_fontName.size() < kMaxFontNameLength)
            m_fontName.append(QChar(char16_t(value)));
        return;
    }
    if (!inText() || value <= 0 || value > 0xFFFF)
        return;
    const char16_t c = char16_t(value);
    if (QChar::isHighSurrogate(c)) {
        dropPendingHigh();
        m_pendingHigh = c;
    } else if (QChar::isLowSurrogate(c)) {
        if (m_pendingHigh)
            m_builder.appendSurrogatePair(top().chr, m_pendingHigh, c);
        else
            m_builder.appendChar(top().chr, 0xFFFD);
        m_pendingHigh = 0;
    } else if (c == QChar::ParagraphSeparator) {
        paragraph();
    } else {
        appendChar(c);
    }
}

void Parser::appendChar(char16_t c)
{
    if (!inText())
        return;
    dropPendingHigh();
    m_builder.appendChar(top().chr, c);
}

void Parser::paragraph()
{
    if (!inText())
        return;
    dropPendingHigh();
    m_builder.paragraph(top().chr, top().align);
}

// A high surrogate not followed by its low half stands for nothing valid.
void Parser::dropPendingHigh()
{
    if (m_pendingHigh) {
        m_pendingHigh = 0;
        m_builder.appendChar(top().chr, 0xFFFD);
    }
}

void Parser::commitFont()
{
    const QString name = m_fontName.trimmed();
    m_fontName.clear();
    if (name.isEmpty() && m_fontId == -1)
        return;
    if (!name.isEmpty())
        m_builder.editFonts()[m_fontId].name = name;
}

void Parser::commitColor()
{
    m_builder.editColors().append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorSet = false;
}

} // namespace oxeln::rtf
