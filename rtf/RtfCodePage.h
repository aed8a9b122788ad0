#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <string_view>

namespace oxeln::cp1252 {

// Windows-1252 by table: fast, and independent of which converters the
// Qt build carries. The five bytes that the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value,
// as the platform's converter does.
char16_t toUnicode(unsigned char byte);

// The byte for c, or -1 when Windows-1252 has no such character.
int fromUnicode(char16_t c);

QString decode(std::string_view bytes);
QString decode(const QByteArray &bytes);

// Characters without a Windows-1252 byte become replacement (plain text
// files only; the RTF writer never loses a character this way).
QByteArray encode(const QString &text, char replacement = '?');

} // namespace oxeln::cp1252
