#include "NumberFormat.h"

#include "Commune.h"

namespace oxeln {

namespace {

// Digits of a magnitude, most significant first, grouped when asked.
void appendMagnitude(std::string &out, std::uint32_t magnitude, bool grouped)
{
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (int i = count - 1; i >= 0; --i) {
        out.push_back(digits[i]);
        if (grouped && i > 0 && i % 3 == 0)
            out.push_back(' ');
    }
}

std::uint32_t magnitudeOf(std::int32_t n)
{
    return n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
}

std::string padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    PadCell(out, 0, width);
    return out;
}

} // namespace

void AppendSigned(std::string &out, std::int32_t n)
{
    if (n > 0)
        out.push_back('+');
    else if (n < 0)
        out.push_back('-');
    appendMagnitude(out, magnitudeOf(n), true);
}

void AppendMagnitude(std::string &out, std::int32_t n)
{
    appendMagnitude(out, magnitudeOf(n), true);
}

void AppendDecimal(std::string &out, std::int32_t n)
{
    if (n < 0)
        out.push_back('-');
    appendMagnitude(out, magnitudeOf(n), false);
}

std::string FormatSigned(std::int32_t n)
{
    std::string out;
    AppendSigned(out, n);
    return out;
}

std::string FormatSignedPower(std::int32_t a, std::int32_t n)
{
    return FormatSigned(PowerInt(a, n));
}

std::string PadNarrow(std::string_view text) { return padded(text, NarrowWidth); }
std::string PadNarrowAnswer(std::string_view text) { return padded(text, NarrowAnswerWidth); }
std::string PadWide(std::string_view text) { return padded(text, WideWidth); }
std::string PadWideAnswer(std::string_view text) { return padded(text, WideAnswerWidth); }

} // namespace oxeln
