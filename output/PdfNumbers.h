#pragma once

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace oxeln {

// A number as the toolkit's PDF engine writes it, so that readers place
// text exactly where they placed it before: nine significant digits, the
// rest cut off, no exponent. Appended to out, with a space after it.
inline void AppendPdfNumber(std::string &out, double value)
{
    if (!std::isfinite(value) || std::abs(value) > double(std::numeric_limits<std::uint32_t>::max())) {
        out += "0 ";
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    double whole = 0;
    const double fraction = std::modf(value, &whole);
    std::uint32_t integer = std::uint32_t(whole);
    int decimals = int(fraction * 1000000000);
    if (decimals == 1000000000) {
        ++integer;
        decimals = 0;
    }
    char digits[16];
    int n = 0;
    while (integer) {
        digits[n++] = char('0' + integer % 10);
        integer /= 10;
    }
    int unit = 100000000;
    if (n == 0) {
        out += '0';
    } else {
        while (n) {
            out += digits[--n];
            unit /= 10;
            decimals /= 10;
        }
    }
    if (decimals) {
        out += '.';
        while (unit) {
            out += char('0' + (decimals / unit) % 10);
            unit /= 10;
        }
    }
    out += ' ';
}

inline QByteArray PdfNumber(double value)
{
    std::string text;
    AppendPdfNumber(text, value);
    text.pop_back();
    return QByteArray::fromStdString(text);
}

} // namespace oxeln
