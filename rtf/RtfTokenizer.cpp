#include "RtfTokenizer.h"

#include <limits>

namespace oxeln::rtf {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\0';
}

} // namespace

Tokenizer::Tokenizer(const char *data, qsizetype size, qsizetype start)
    : m_begin(data), m_pos(data + qBound<qsizetype>(0, start, size)), m_end(data + size), m_tail(m_end)
{
    while (m_tail > m_pos && isBlank(m_tail[-1]))
        --m_tail;
}

bool Tokenizer::hasContentFrom(const char *data, qsizetype size, qsizetype start)
{
    for (qsizetype i = qMax<qsizetype>(0, start); i < size; ++i) {
        if (!isBlank(data[i]))
            return true;
    }
    return false;
}

Token Tokenizer::next()
{
    Token token;
    const bool afterMinusWord = m_wordBeforeMinus;
    m_wordBeforeMinus = false;
    while (m_pos < m_end) {
        const char c = *m_pos;
        if (c == '\r' || c == '\n') {
            ++m_pos;
            continue;
        }
        if (c == '{') {
            ++m_pos;
            token.kind = Token::Kind::GroupOpen;
            return token;
        }
        if (c == '}') {
            ++m_pos;
            token.kind = Token::Kind::GroupClose;
            return token;
        }
        if (c == '\\') {
            ++m_pos;
            if (m_pos == m_end)
                return token; // a lone backslash at the very end
            const char s = *m_pos;
            if (isLetter(s)) {
                readWord(token);
                return token;
            }
            ++m_pos;
            if (s == '\'') {
                int value = -1;
                int digits = 0;
                for (; digits < 2 && m_pos < m_end; ++digits) {
                    const int h = hexValue(*m_pos);
                    if (h < 0)
                        break;
                    value = (value < 0 ? 0 : value * 16) + h;
                    ++m_pos;
                }
                if (value < 0) {
                    token.kind = Token::Kind::Symbol;
                    token.symbol = '\'';
                    token.open = true;
                } else {
                    token.kind = Token::Kind::Hex;
                    token.byte = static_cast<std::uint8_t>(value);
                    token.open = digits < 2;
                }
                return token;
            }
            token.kind = Token::Kind::Symbol;
            token.symbol = (s == '\r' || s == '\n') ? '\n' : s;
            return token;
        }
        // A run of ordinary bytes.
        const char *start = m_pos;
        while (m_pos < m_end) {
            const char t = *m_pos;
            if (t == '{' || t == '}' || t == '\\' || t == '\r' || t == '\n')
                break;
            ++m_pos;
        }
        token.kind = Token::Kind::Text;
        token.text = start;
        token.textSize = m_pos - start;
        // A word then a lone "-": digits that came later would be its parameter.
        token.open = afterMinusWord && token.textSize == 1;
        return token;
    }
    return token;
}

void Tokenizer::readWord(Token &token)
{
    token.kind = Token::Kind::Word;
    int length = 0;
    while (m_pos < m_end && isLetter(*m_pos)) {
        if (length < kMaxNameLength)
            m_name[length++] = *m_pos;
        else
            token.nameTooLong = true;
        ++m_pos;
    }
    token.name = std::string_view(m_name, static_cast<size_t>(length));

    bool negative = false;
    if (m_pos + 1 < m_end && *m_pos == '-' && isDigit(m_pos[1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < m_end && isDigit(*m_pos)) {
        // Saturate: however many digits follow, the value stays in range.
        constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
        std::int64_t value = 0;
        while (m_pos < m_end && isDigit(*m_pos)) {
            if (value < limit)
                value = value * 10 + (*m_pos - '0');
            ++m_pos;
        }
        if (value > limit)
            value = limit;
        if (negative)
            value = -value;
        else if (value == limit)
            value = limit - 1;
        token.hasParam = true;
        token.param = static_cast<std::int32_t>(value);
    }
    if (m_pos < m_end && *m_pos == ' ') {
        ++m_pos;
    } else {
        token.open = true;
        m_wordBeforeMinus = !token.hasParam && m_pos < m_end && *m_pos == '-';
    }

    if (!token.nameTooLong && token.name == "bin") {
        token.open = true;
        // Binary data follows: skip it whole, whatever bytes it holds.
        const qsizetype count = token.hasParam && token.param > 0 ? token.param : 0;
        m_pos += qMin(count, qsizetype(m_end - m_pos));
    }
}

} // namespace oxeln::rtf
