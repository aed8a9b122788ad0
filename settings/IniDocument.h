#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace oxeln {

// An INI file's bytes as lines, each with its own ending, so that writing it
// back changes nothing but the line that was meant to change. Section names
// and keys are Windows-1252 bytes, matched without regard to case.
class IniDocument
{
public:
    explicit IniDocument(const QByteArray &data);

    QByteArray toBytes() const;

    // Index of the section's header line, or -1.
    qsizetype findSection(const QByteArray &name) const;
    // Index of the key's line in the section, or -1.
    qsizetype findKey(qsizetype header, const QByteArray &key) const;
    // The text after the line's first "=", blanks trimmed.
    QByteArray valueAt(qsizetype line) const;

    // Replaces the key's value in place, or adds the key after the last key
    // line of its section, or adds the section at the end.
    void setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);

private:
    struct Line
    {
        QByteArray text;
        QByteArray eol; // "\r\n", "\n", or empty on a last line without ending
    };

    static std::optional<QByteArray> sectionName(const QByteArray &line);
    static bool isKeyLine(const QByteArray &line);
    qsizetype sectionEnd(qsizetype header) const;

    QList<Line> m_lines;
    QByteArray m_eol; // for new lines: the file's own ending
};

} // namespace oxeln
