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

bool sameName(QByteArrayView a, QByteArrayView b)
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
    static constexpr char Utf8Bom[] = "\xEF\xBB\xBF";
    qsizetype start = 0;
    if (data.startsWith(Utf8Bom)) {
        m_bom = Utf8Bom;
        start = m_bom.size();
        // Some editors put the mark before Windows-1252 text: what is not
        // UTF-8 is read, and written back, as the rest of our files.
        m_utf8 = QByteArrayView(data).sliced(start).isValidUtf8();
    }
    const char *bytes = data.constData();
    const qsizetype size = data.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end == size) {
            m_lines.append({data.mid(start), {}});
            break;
        }
        qsizetype next = end + 1;
        if (bytes[end] == '\r' && next < size && bytes[next] == '\n')
            ++next;
        m_lines.append({data.mid(start, end - start), data.mid(end, next - end)});
        if (m_eol.isEmpty())
            m_eol = m_lines.last().eol;
        start = next;
    }
    // A new file gets CR LF, as the Windows builds write it.
    if (m_eol.isEmpty())
        m_eol = "\r\n";
}

QByteArray IniDocument::toBytes() const
{
    qsizetype size = m_bom.size();
    for (const Line &line : m_lines)
        size += line.text.size() + line.eol.size();
    QByteArray out;
    out.reserve(size);
    out += m_bom;
    for (const Line &line : m_lines)
        out += line.text + line.eol;
    return out;
}

std::optional<QByteArrayView> IniDocument::sectionName(QByteArrayView line)
{
    const QByteArrayView text = line.trimmed();
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return text.sliced(1, close - 1).trimmed();
}

bool IniDocument::isKeyLine(QByteArrayView line)
{
    const QByteArrayView text = line.trimmed();
    return !text.startsWith(';') && !text.startsWith('[') && text.contains('=');
}

qsizetype IniDocument::findSection(QByteArrayView name) const
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

qsizetype IniDocument::findKey(qsizetype header, QByteArrayView key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QByteArrayView text = m_lines[i].text;
        if (isKeyLine(text) && sameName(text.first(text.indexOf('=')).trimmed(), key))
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
