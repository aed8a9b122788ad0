#include "RtfCodePage.h"

namespace oxeln::cp1252 {

namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

int fromUnicode(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}

QString decode(const QByteArray &bytes)
{
    return decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString decode(std::string_view bytes)
{
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char b : bytes)
        *dst++ = QChar(toUnicode(static_cast<unsigned char>(b)));
    return out;
}

QByteArray encode(const QString &text, char replacement)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *dst = out.data();
    const auto *src = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = src[i];
        if (c < 0x80) {
            *dst++ = char(c);
            continue;
        }
        // A surrogate pair is one character: one replacement byte.
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(src[i + 1]))
            ++i;
        const int b = fromUnicode(c);
        *dst++ = b < 0 ? replacement : static_cast<char>(b);
    }
    out.truncate(dst - out.constData());
    return out;
}

} // namespace oxeln::cp1252
