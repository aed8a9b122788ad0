#include "PupilSheet.h"

#include <algorithm>

namespace oxeln {

std::string VisibleTitleText(std::string_view markup)
{
    std::string out;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        const char c = markup[i];
        if (c == '<') {
            const std::size_t close = markup.find('>', i + 1);
            const std::size_t end = close == std::string_view::npos ? markup.size() : close;
            std::string tag(markup.substr(i + 1, end - i - 1));
            std::transform(tag.begin(), tag.end(), tag.begin(),
                           [](char t) { return t >= 'A' && t <= 'Z' ? char(t - 'A' + 'a') : t; });
            if (tag == "br")
                out.push_back('\n');
            i = end;
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            out.push_back(c);
        }
    }
    return out;
}

bool IsRuleTitle(std::string_view text)
{
    const auto isMark = [](char c) { return c == '-' || c == '_' || c == '=' || c == '*' || c == '.'; };
    const bool onlyMarks = std::all_of(text.begin(), text.end(), [&](char c) { return isMark(c) || c == ' '; });
    return onlyMarks && std::count_if(text.begin(), text.end(), isMark) >= 10;
}

void AppendHtmlEscaped(std::string &out, std::string_view utf8)
{
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out.push_back(c);
        }
    }
}

} // namespace oxeln
