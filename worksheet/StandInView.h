#pragma once

#include "DocumentRtf.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace oxeln::compose {

// Paragraphs of an RTF text as a view lays them out: one per "\par", plus
// one for text after the last "\par" (an empty last paragraph does not
// count). Font and colour tables and "{\*" groups hold no text; escaped
// "\\", "\{" and "\}" are text, so a literal "\\par" in a title is no break.
// The scan stops as soon as the count reaches limit, which it returns then.
int RtfLineCount(std::string_view rtf, int limit = std::numeric_limits<int>::max());

// What the drills need of a rich text view without a window: its line
// count, of which they only tell 0, 1 and more. It starts as a view does at
// program start, holding one line of blanks (four in the subject view, five
// in the answer view): one line.
class StandInView
{
public:
    // 0, 1, or 2 for two lines or more.
    int lineCount() const { return m_lineCount; }
    // The stream of the RTF it holds (DocumentRtf::stream); 0 when it holds
    // none of the program's, at start and once cleared.
    std::uint64_t stream() const { return m_stream; }

    // A longer text of the document already counted at two lines or more
    // needs no counting; otherwise the count reads the RTF from its start.
    void setRtf(const DocumentRtf &rtf);
    void clear()
    {
        m_lineCount = 0;
        m_stream = 0;
    }

private:
    int m_lineCount = 1;
    std::uint64_t m_stream = 0;
};

} // namespace oxeln::compose
