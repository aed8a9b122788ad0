#include "IniDocument.h"

namespace oxeln {

namespace {

// Case folding of Windows-1252 letters: ASCII, the Latin-1 letters and the
// few letters of 0x80-0x9F that have both cases.
uchar foldCase(uchar c)
{
    if (c >= 'a' && c <= 'z')
        return uchar(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return uchar(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A; // š
    case 0x9C: return 0x8C; // œ
    case 0x9E: return 0x8E; // ž
    case 0xFF: return 0x9F; // ÿ
    default: return c;
    }
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldCase(uchar(a[i])) != foldCase(uchar(b[i])))
            return false;
    }
    return true;
}

} // namespace

IniDocument::IniDocument(const QByteArray &data)
{
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype nl = data.indexOf('\n', start);
        if (nl < 0) {
            m_lines.append({data.mid(start), {}});
            break;
        }
        qsizetype end = nl;
        QByteArray eol("\n");
        if (end > start && data[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        if (m_eol.isEmpty())
            m_eol = eol;
        m_lines.append({data.mid(start, end - start), eol});
        start = nl + 1;
    }
    // A new file gets CR LF, as the Windows builds write it.
    if (m_eol.isEmpty())
        m_eol = "\r\n";
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const Line &line : m_lines)
        out += line.text + line.eol;
    return out;
}

std::optional<QByteArray> IniDocument::sectionName(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return text.mid(1, close - 1).trimmed();
}

bool IniDocument::isKeyLine(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    return !text.startsWith(';') && !text.startsWith('[') && text.contains('=');
}

qsizetype IniDocument::findSection(const QByteArray &name) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (auto header = sectionName(m_lines[i].text); header && sameName(*header, name))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i].text))
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, const QByteArray &key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QByteArray &text = m_lines[i].text;
        if (isKeyLine(text) && sameName(text.left(text.indexOf('=')).trimmed(), key))
            return i;
    }
    return -1;
}

QByteArray IniDocument::valueAt(qsizetype line) const
{
    const QByteArray &text = m_lines[line].text;
    return text.mid(text.indexOf('=') + 1).trimmed();
}

void IniDocument::setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty()) {
            if (m_lines.last().eol.isEmpty())
                m_lines.last().eol = m_eol;
            if (!m_lines.last().text.trimmed().isEmpty())
                m_lines.append({{}, m_eol});
        }
        m_lines.append({'[' + section + ']', m_eol});
        m_lines.append({key + '=' + value, m_eol});
        return;
    }
    if (const qsizetype line = findKey(header, key); line >= 0) {
        QByteArray &text = m_lines[line].text;
        text = text.left(text.indexOf('=') + 1) + value;
        return;
    }
    qsizetype after = header;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (isKeyLine(m_lines[i].text))
            after = i;
    }
    if (m_lines[after].eol.isEmpty())
        m_lines[after].eol = m_eol;
    m_lines.insert(after + 1, {key + '=' + value, m_eol});
}

} // namespace oxeln
