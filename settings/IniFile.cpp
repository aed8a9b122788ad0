#include "IniFile.h"

#include "FileReplace.h"
#include "IniDocument.h"
#include "SettingsError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString withoutLineBreaks(QString value)
{
    for (QChar &c : value) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            c = u' ';
    }
    return value;
}

// A file whose UTF-8 byte-order mark is followed by UTF-8 text was written
// as UTF-8 by its editor: it is read and written back so.
QByteArray encodeFor(const IniDocument &document, const QString &text, bool *lossless = nullptr)
{
    if (!document.isUtf8())
        return toCp1252(text, lossless);
    if (lossless)
        *lossless = true;
    return text.normalized(QString::NormalizationForm_C).toUtf8();
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

IniFilePass::IniFilePass(const QString &fileName)
    : m_fileName(fileName)
{
}

IniFilePass::~IniFilePass() = default;
IniFilePass::IniFilePass(IniFilePass &&) noexcept = default;
IniFilePass &IniFilePass::operator=(IniFilePass &&) noexcept = default;

IniDocument *IniFilePass::documentForReading()
{
    if (!m_read) {
        m_read = true;
        if (const std::optional<QByteArray> data = readBytes(m_fileName))
            m_document = std::make_unique<IniDocument>(*data);
    }
    return m_document.get();
}

IniDocument &IniFilePass::documentForWriting()
{
    if (!m_checkedForWriting) {
        const QFileInfo info(m_fileName);
        if (info.exists()) {
            if (isProtected(info))
                failWrite();
            // Replacing a file we could not read would lose its other lines.
            if (!documentForReading())
                failWrite();
        } else {
            m_document = std::make_unique<IniDocument>(QByteArray());
        }
        m_read = true;
        m_checkedForWriting = true;
    }
    return *m_document;
}

QString IniFilePass::readString(const QString &section, const QString &key, const QString &defaultValue)
{
    const IniDocument *document = documentForReading();
    if (!document)
        return defaultValue;
    const qsizetype header = document->findSection(encodeFor(*document, section));
    if (header < 0)
        return defaultValue;
    const qsizetype line = document->findKey(header, encodeFor(*document, key));
    if (line < 0)
        return defaultValue;
    QByteArray value = document->valueAt(line);
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    if (document->isUtf8())
        return QString::fromUtf8(value).left(TIniFile::MaxValueLength);
    return fromCp1252(value.left(TIniFile::MaxValueLength));
}

qint32 IniFilePass::readInteger(const QString &section, const QString &key, qint32 defaultValue)
{
    return parseIniInteger(readString(section, key, QString())).value_or(defaultValue);
}

bool IniFilePass::writeString(const QString &section, const QString &key, const QString &value)
{
    IniDocument &document = documentForWriting();
    bool lossless = true;
    document.setValue(encodeFor(document, section), encodeFor(document, key),
                      encodeFor(document, withoutLineBreaks(value), &lossless));
    m_changed = true;
    return lossless;
}

void IniFilePass::writeInteger(const QString &section, const QString &key, qint32 value)
{
    writeString(section, key, QString::number(value));
}

void IniFilePass::commit()
{
    if (!m_changed)
        return;
    if (!replaceFile(m_fileName, m_document->toBytes()))
        failWrite(); // the old file stays as it was
    m_changed = false;
}

void IniFilePass::failWrite() const
{
    const QString path = QDir::toNativeSeparators(QFileInfo(m_fileName).absoluteFilePath());
    throw SettingsError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
}

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
{
}

QString TIniFile::readString(const QString &section, const QString &key,
                             const QString &defaultValue) const
{
    return IniFilePass(m_fileName).readString(section, key, defaultValue);
}

qint32 TIniFile::readInteger(const QString &section, const QString &key, qint32 defaultValue) const
{
    return parseIniInteger(readString(section, key, QString())).value_or(defaultValue);
}

void TIniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    IniFilePass pass(m_fileName);
    pass.writeString(section, key, value);
    pass.commit();
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

} // namespace oxeln
