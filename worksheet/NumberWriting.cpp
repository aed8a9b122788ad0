#include "NumberWriting.h"

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
