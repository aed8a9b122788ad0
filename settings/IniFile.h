#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace oxeln {

// The settings file holds Windows-1252 bytes, so that it stays readable by
// the Windows builds of the program and by the people who edit it by hand.
// A character that Windows-1252 cannot hold is written as "?"; *lossless
// (when given) tells whether that happened.
QByteArray toCp1252(const QString &text, bool *lossless = nullptr);
QString fromCp1252(const QByteArray &bytes);

// Integer text of the settings file: optional leading blanks, then either an
// optional sign and decimal digits, or "$", "x", "X", "0x", "0X" and
// hexadecimal digits (up to 32 bits, read as a signed value: "$FFFFFFFF" is
// -1). Anything else, or a decimal value outside 32 bits, gives nothing.
std::optional<qint32> parseIniInteger(const QString &text);

// A value wrapped in one pair of the same quote gets one more pair of double
// quotes, which the reader removes again, so the value comes back unchanged.
QString quoteIniValue(const QString &value);

class IniDocument;

// One pass over an INI file of Windows-1252 bytes (UTF-8 when a UTF-8
// byte-order mark begins it and valid UTF-8 follows): the file is read once, at the first read
// or write, every write changes its text in memory, and commit() writes it
// back with one replace (see replaceFile: a temporary copy flushed to disk
// and renamed over the file, or the file overwritten in place when its
// folder takes no new file). The result is byte for byte that of the same
// writes made one by one through TIniFile. Lines it does not touch,
// comments and the file's line ends are kept.
class IniFilePass
{
public:
    explicit IniFilePass(const QString &fileName);
    ~IniFilePass();
    IniFilePass(IniFilePass &&) noexcept;
    IniFilePass &operator=(IniFilePass &&) noexcept;

    const QString &fileName() const { return m_fileName; }

    // As TIniFile::readString, from the text as this pass has it.
    QString readString(const QString &section, const QString &key, const QString &defaultValue);
    qint32 readInteger(const QString &section, const QString &key, qint32 defaultValue);

    // As TIniFile::writeString, in memory. Throws SettingsError at once when
    // the file exists but is write-protected or cannot be read. Returns
    // whether the value is kept without a character becoming "?".
    bool writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, qint32 value);

    // Writes the file if anything was written in this pass. Throws
    // SettingsError "Impossible d'écrire dans <full path>" when it cannot;
    // the file is then left as it was.
    void commit();

private:
    IniDocument *documentForReading();
    IniDocument &documentForWriting();
    [[noreturn]] void failWrite() const;

    QString m_fileName;
    std::unique_ptr<IniDocument> m_document; // the file's text, once read
    bool m_read = false;
    bool m_checkedForWriting = false;
    bool m_changed = false;
};

// Access by section and key to an INI file of Windows-1252 bytes. Names are
// matched without regard to case. It keeps nothing between calls: every read
// reads the file, and every write is a pass of its own (read, change one
// line, replace the whole file), so that a crash or a failed write never
// leaves a half written file behind.
class TIniFile
{
public:
    static constexpr qsizetype MaxValueLength = 2047;

    explicit TIniFile(const QString &fileName);

    const QString &fileName() const { return m_fileName; }

    // The value after the first "=", blanks trimmed, one surrounding pair of
    // the same quote removed, at most MaxValueLength characters. An absent
    // file, section or key gives defaultValue; a present empty value gives "".
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    qint32 readInteger(const QString &section, const QString &key,
                       qint32 defaultValue) const;

    // Replaces the key's value in place, or adds the key after the last key
    // line of its section, or adds the section at the end, or creates the
    // file. Line breaks inside the value become blanks. Throws SettingsError
    // "Impossible d'écrire dans <full path>" when the file cannot be
    // written; the file is then left as it was.
    void writeString(const QString &section, const QString &key, const QString &value) const;
    void writeInteger(const QString &section, const QString &key, qint32 value) const;

    // Whether the value can be written to a Windows-1252 file without any
    // character becoming "?".
    static bool canStore(const QString &value);

private:
    QString m_fileName;
};

} // namespace oxeln
