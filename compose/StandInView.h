#pragma once

#include <string>
#include <string_view>

namespace oxeln::compose {

// Paragraphs of an RTF text as a view lays them out: one per "\par", plus
// one for text after the last "\par" (an empty last paragraph does not
// count). Font and colour tables and "{\*" groups hold no text; escaped
// "\\", "\{" and "\}" are text, so a literal "\\par" in a title is no break.
int RtfLineCount(std::string_view rtf);

// What the drills need of a rich text view without a window: the last RTF
// given to it and its line count. It starts as a view does at program
// start, holding one line of blanks (four in the subject view, five in the
// answer view): one line.
class StandInView
{
public:

    int lineCount() const { return m_lineCount; }
    const std::string &rtf() const { return m_rtf; }

    void setRtf(const std::string &rtf)
    {
        m_rtf = rtf;
        m_lineCount = RtfLineCount(rtf);
    }
    void clear()
    {
        m_rtf.clear();
        m_lineCount = 0;
    }

private:
    std::string m_rtf;
    int m_lineCount = 1;
};

} // namespace oxeln::compose
