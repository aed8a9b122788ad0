#include "StandInView.h"

#include "MarkupToRtf.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace oxeln::compose {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

int RtfLineCount(std::string_view rtf, int limit)
{
    int breaks = 0;
    bool textSinceBreak = false;
    // For each open group: does it hold text that a view shows?
    std::vector<bool> shown{true};
    bool groupJustOpened = false;
    // Text after the last break makes one more line: true when that reaches the limit.
    const auto seeText = [&] {
        textSinceBreak = true;
        return breaks + 1 >= limit;
    };

    std::size_t i = 0;
    while (i < rtf.size()) {
        const char c = rtf[i];
        const bool visible = shown.back();
        if (c == '{') {
            shown.push_back(visible);
            groupJustOpened = true;
            ++i;
            continue;
        }
        const bool firstInGroup = groupJustOpened;
        groupJustOpened = false;
        if (c == '}') {
            if (shown.size() > 1)
                shown.pop_back();
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (visible && seeText())
                return limit;
            ++i;
            continue;
        }
        // Control symbol or control word.
        if (i + 1 >= rtf.size())
            break;
        const char next = rtf[i + 1];
        if (!isLetter(next)) {
            if (next == '*' && firstInGroup)
                shown.back() = false;
            else if (visible && (next == '\\' || next == '{' || next == '}' || next == '\'' || next == '~')
                     && seeText())
                return limit;
            i += next == '\'' ? 4 : 2;
            continue;
        }
        std::size_t end = i + 1;
        while (end < rtf.size() && isLetter(rtf[end]))
            ++end;
        const std::string_view word = rtf.substr(i + 1, end - i - 1);
        if (end < rtf.size() && (rtf[end] == '-' || std::isdigit(static_cast<unsigned char>(rtf[end])))) {
            ++end;
            while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end])))
                ++end;
        }
        if (end < rtf.size() && rtf[end] == ' ')
            ++end; // delimiter, not text
        if (firstInGroup && (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info"))
            shown.back() = false;
        else if (visible && word == "par") {
            if (++breaks >= limit)
                return limit;
            textSinceBreak = false;
        } else if (visible && (word == "tab" || word == "emdash" || word == "endash" || word == "bullet")
                   && seeText())
            return limit;
        i = end;
    }
    return std::min(limit, breaks + (textSinceBreak ? 1 : 0));
}

void StandInView::setRtf(const DocumentRtf &rtf)
{
    if (rtf.stream != m_stream || m_lineCount < 2) {
        // The start of the RTF is all the count reads, and it stops at two.
        m_lineCount = rtf.offset == 0 ? RtfLineCount(rtf.tail, 2) : RtfLineCount(WholeRtf(rtf), 2);
        m_stream = rtf.stream;
    }
}

} // namespace oxeln::compose
