#include "NumberWriting.h"

#include "NumberFormat.h"

namespace oxeln {

namespace {

void appendBracketed(std::string &out, std::int32_t n)
{
    out.push_back('(');
    AppendSigned(out, n);
    out.push_back(')');
}

// Digits with a "-" for negatives, never a "+".
void appendPlain(std::string &out, std::int32_t n)
{
    const std::size_t at = out.size();
    AppendSigned(out, n);
    if (n > 0)
        out.erase(at, 1);
}

bool mergesSign(char op, Writing writing) { return writing == Writing::Simplified && (op == '+' || op == '-'); }

} // namespace

void AppendLeading(std::string &out, std::int32_t n, Writing writing)
{
    if (writing == Writing::Simplified)
        appendPlain(out, n);
    else
        AppendFactor(out, n, writing);
}

void AppendFactor(std::string &out, std::int32_t n, Writing writing)
{
    if (writing == Writing::Parentheses || n < 0)
        appendBracketed(out, n);
    else
        appendPlain(out, n);
}

void AppendResult(std::string &out, std::int32_t n, Writing writing)
{
    if (writing == Writing::Parentheses)
        appendBracketed(out, n);
    else
        appendPlain(out, n);
}

std::string_view OperatorText(char op, bool spaced)
{
    switch (op) {
    case '+': return spaced ? " + " : "+";
    case '-': return spaced ? " - " : "-";
    case 'x': return spaced ? " x " : "x";
    default: return spaced ? " : " : ":";
    }
}

char WrittenOperator(char op, std::int32_t n, Writing writing)
{
    if (!mergesSign(op, writing) || n >= 0)
        return op;
    return op == '+' ? '-' : '+';
}

void AppendOperation(std::string &out, char op, std::int32_t n, Writing writing, bool spaced)
{
    out += OperatorText(WrittenOperator(op, n, writing), spaced);
    if (mergesSign(op, writing))
        appendPlain(out, n < 0 ? -n : n);
    else
        AppendFactor(out, n, writing);
}

} // namespace oxeln

namespace oxeln {

std::size_t VisibleLength(std::string_view markup)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        if (markup.compare(i, LessThanMarkup.size(), LessThanMarkup) == 0) {
            i += LessThanMarkup.size() - 1;
            ++n;
        } else if (markup[i] == '<') {
            const std::size_t end = markup.find('>', i);
            if (end == std::string_view::npos)
                break;
            i = end;
        } else {
            ++n;
        }
    }
    return n;
}

void PadVisible(std::string &out, std::size_t cellStart, std::size_t width)
{
    const std::size_t length = VisibleLength(std::string_view(out).substr(cellStart));
    if (length < width)
        out.append(width - length, ' ');
}

} // namespace oxeln
