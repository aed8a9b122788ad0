#include "IniFile.h"

#include "SettingsError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace oxeln {

namespace {

constexpr char Cp1252Name[] = "windows-1252";

QByteArray encodeOne(QStringView chunk, bool *ok)
{
    QStringEncoder encoder(Cp1252Name);
    QByteArray bytes = encoder.encode(chunk);
    *ok = !encoder.hasError();
    return bytes;
}

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

struct Line
{
    QByteArray text;
    QByteArray eol; // "\r\n", "\n", or empty on a last line without ending
};

// The file as lines, each with its own ending, so that writing it back
// changes nothing but the line that was meant to change.
class IniDocument
{
public:
    explicit IniDocument(const QByteArray &data)
    {
        qsizetype start = 0;
        while (start < data.size()) {
            qsizetype nl = data.indexOf('\n', start);
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
        // A file of ours starts with CR LF, as the Windows builds write it.
        if (m_eol.isEmpty())
            m_eol = "\r\n";
    }

    QByteArray toBytes() const
    {
        QByteArray out;
        for (const Line &line : m_lines)
            out += line.text + line.eol;
        return out;
    }

    // Index of the section's header line, or -1.
    qsizetype findSection(const QByteArray &name) const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (auto header = sectionName(m_lines[i].text); header && sameName(*header, name))
                return i;
        }
        return -1;
    }

    // Index of the first line after the section's body.
    qsizetype sectionEnd(qsizetype header) const
    {
        qsizetype i = header + 1;
        while (i < m_lines.size() && !sectionName(m_lines[i].text))
            ++i;
        return i;
    }

    qsizetype findKey(qsizetype header, const QByteArray &key) const
    {
        const qsizetype end = sectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            const QByteArray &text = m_lines[i].text;
            if (isKeyLine(text) && sameName(text.left(text.indexOf('=')).trimmed(), key))
                return i;
        }
        return -1;
    }

    QByteArray valueAt(qsizetype line) const
    {
        const QByteArray &text = m_lines[line].text;
        return text.mid(text.indexOf('=') + 1).trimmed();
    }

    void setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value)
    {
        qsizetype header = findSection(section);
        if (header < 0) {
            if (!m_lines.isEmpty()) {
                endLastLine();
                if (!m_lines.last().text.trimmed().isEmpty())
                    m_lines.append({{}, m_eol});
            }
            m_lines.append({'[' + section + ']', m_eol});
            m_lines.append({key + '=' + value, m_eol});
            return;
        }
        if (qsizetype line = findKey(header, key); line >= 0) {
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

private:
    static std::optional<QByteArray> sectionName(const QByteArray &line)
    {
        const QByteArray text = line.trimmed();
        if (!text.startsWith('['))
            return std::nullopt;
        const qsizetype close = text.indexOf(']');
        if (close < 0)
            return std::nullopt;
        return text.mid(1, close - 1).trimmed();
    }

    static bool isKeyLine(const QByteArray &line)
    {
        const QByteArray text = line.trimmed();
        return !text.startsWith(';') && !text.startsWith('[') && text.contains('=');
    }

    void endLastLine()
    {
        if (m_lines.last().eol.isEmpty())
            m_lines.last().eol = m_eol;
    }

    QList<Line> m_lines;
    QByteArray m_eol;
};

// The file's bytes; nothing when it does not exist or cannot be read.
std::optional<QByteArray> readBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// A write-protected file is refused even where the system would let us
// replace it (renaming over it needs only the folder's permission, and root
// ignores permissions altogether).
bool isProtected(const QFileInfo &info)
{
    constexpr QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isDir() || !info.isWritable() || !(info.permissions() & anyWrite);
}

void syncFolder([[maybe_unused]] const QString &fileName)
{
#ifdef Q_OS_UNIX
    // The rename itself reaches the disk only with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

QString withoutLineBreaks(QString value)
{
    for (QChar &c : value) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            c = u' ';
    }
    return value;
}

} // namespace

QByteArray toCp1252(const QString &text, bool *lossless)
{
    // Composed form first: an "e" followed by a combining accent is "é".
    const QString composed = text.normalized(QString::NormalizationForm_C);
    bool ok = true;
    QByteArray bytes = encodeOne(composed, &ok);
    if (!ok) {
        // Again character by character, to put "?" exactly where the
        // encoder could not map (it would write 0x1A there).
        bytes.clear();
        for (qsizetype i = 0; i < composed.size(); ++i) {
            qsizetype length = 1;
            if (composed[i].isHighSurrogate() && i + 1 < composed.size()
                && composed[i + 1].isLowSurrogate())
                length = 2;
            bool charOk = true;
            const QByteArray one = encodeOne(QStringView(composed).mid(i, length), &charOk);
            bytes += charOk ? one : QByteArray("?");
            i += length - 1;
        }
    }
    if (lossless)
        *lossless = ok;
    return bytes;
}

QString fromCp1252(const QByteArray &bytes)
{
    QStringDecoder decoder(Cp1252Name);
    return decoder.decode(bytes);
}

std::optional<qint32> parseIniInteger(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const QStringView rest = QStringView(text).mid(i);
    if (rest.isEmpty())
        return std::nullopt;

    qsizetype hexStart = -1;
    if (rest.startsWith(u"0x") || rest.startsWith(u"0X"))
        hexStart = 2;
    else if (rest[0] == u'$' || rest[0] == u'x' || rest[0] == u'X')
        hexStart = 1;

    if (hexStart > 0) {
        const QStringView digits = rest.mid(hexStart);
        if (digits.isEmpty())
            return std::nullopt;
        quint64 value = 0;
        for (QChar c : digits) {
            int digit = -1;
            if (c >= u'0' && c <= u'9')
                digit = c.unicode() - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c.unicode() - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c.unicode() - u'A' + 10;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + quint64(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return qint32(quint32(value));
    }

    bool negative = false;
    QStringView digits = rest;
    if (digits[0] == u'-' || digits[0] == u'+') {
        negative = digits[0] == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    qint64 value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return qint32(negative ? -value : value);
}

QString quoteIniValue(const QString &value)
{
    if (!value.isEmpty()
        && ((value.front() == u'"' && value.back() == u'"')
            || (value.front() == u'\'' && value.back() == u'\'')))
        return u'"' + value + u'"';
    return value;
}

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
{
}

QString TIniFile::readString(const QString &section, const QString &key,
                             const QString &defaultValue) const
{
    const std::optional<QByteArray> data = readBytes(m_fileName);
    if (!data)
        return defaultValue;
    const IniDocument document(*data);
    const qsizetype header = document.findSection(toCp1252(section));
    if (header < 0)
        return defaultValue;
    const qsizetype line = document.findKey(header, toCp1252(key));
    if (line < 0)
        return defaultValue;
    QByteArray value = document.valueAt(line);
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return fromCp1252(value.left(MaxValueLength));
}

qint32 TIniFile::readInteger(const QString &section, const QString &key, qint32 defaultValue) const
{
    return parseIniInteger(readString(section, key, QString())).value_or(defaultValue);
}

void TIniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    const QFileInfo info(m_fileName);
    QByteArray data;
    if (info.exists()) {
        if (isProtected(info))
            failWrite();
        // Replacing a file we could not read would lose its other lines.
        const std::optional<QByteArray> existing = readBytes(m_fileName);
        if (!existing)
            failWrite();
        data = *existing;
    }

    IniDocument document(data);
    document.setValue(toCp1252(section), toCp1252(key), toCp1252(withoutLineBreaks(value)));

    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        failWrite();
    const QByteArray bytes = document.toBytes();
    if (file.write(bytes) != bytes.size())
        failWrite(); // the temporary file is discarded, the old one stays
    if (!file.commit())
        failWrite();
    syncFolder(m_fileName);
}

void TIniFile::writeInteger(const QString &section, const QString &key, qint32 value) const
{
    writeString(section, key, QString::number(value));
}

bool TIniFile::canStore(const QString &value)
{
    bool lossless = true;
    toCp1252(value, &lossless);
    return lossless;
}

void TIniFile::failWrite() const
{
    const QString path = QDir::toNativeSeparators(QFileInfo(m_fileName).absoluteFilePath());
    throw SettingsError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
}

} // namespace oxeln
