#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace oxeln {

// An INI file's bytes as lines, each with its own ending, so that writing it
// back changes nothing but the lines that were meant to change. Section names
// and keys are matched without regard to case (Windows-1252 letters).
//
// Files edited by hand are read as their editor meant them: a line ends at
// CR LF, LF or a lone CR, and a leading UTF-8 byte-order mark is no part of
// the first line (it stays in front of the file when written back).
class IniDocument
{
public:
    explicit IniDocument(const QByteArray &data);

    QByteArray toBytes() const;

    // The file begins with a UTF-8 byte-order mark and what follows is
    // valid UTF-8: its text is UTF-8. After a mark, bytes that are not
    // UTF-8 are Windows-1252, as in a file without one (the mark stays).
    bool isUtf8() const { return m_utf8; }

    // Index of the section's header line, or -1.
    qsizetype findSection(QByteArrayView name) const;
    // Index of the key's line in the section, or -1.
    qsizetype findKey(qsizetype header, QByteArrayView key) const;
    // The text after the line's first "=", blanks trimmed.
    QByteArray valueAt(qsizetype line) const;

    // Replaces the key's value in place, or adds the key after the last key
    // line of its section, or adds the section at the end.
    void setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);

private:
    struct Line
    {
        QByteArray text;
        QByteArray eol; // "\r\n", "\n", "\r", or empty on a last line without ending
    };

    static std::optional<QByteArrayView> sectionName(QByteArrayView line);
    static bool isKeyLine(QByteArrayView line);
    qsizetype sectionEnd(qsizetype header) const;

    QByteArray m_bom;
    bool m_utf8 = false;
    QList<Line> m_lines;
    QByteArray m_eol; // for new lines: the file's own ending
};

} // namespace oxeln
