#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace oxeln {

// Turns worksheet markup (Windows-1252 bytes) into HTML (UTF-8) that shows
// what the RTF of MarkupToRtf shows in a view: the same tags in the same
// way (case folded, unknown ones dropped, control bytes dropped, "<br>" a
// new paragraph, "<lt>" a "<"), each paragraph a <p> of spans whose inline
// style carries the font, size, weight, slant, underline, strike-through, raised or
// lowered text, colour and highlight in force. Text is escaped; spaces are
// kept as they are, so the caller sets white-space: pre-wrap (or pre) and
// p { margin: 0 } on the container. An empty paragraph holds a <br> in the
// current font, so that it takes the height of its line; an empty last
// paragraph is left out, as a view does not count it. A paragraph all in
// Courier New, where the questions stand in columns, is <p class="fixed">:
// a caller that must keep the columns whole keeps such a line unwrapped.
std::string MarkupToHtml(std::string_view markup);

// The character formatting in force at a point of the markup, as its tags
// leave it.
struct MarkupFormat
{
    enum class Shift : std::uint8_t { None, Super, Sub };

    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    Shift shift = Shift::None;
    int font = 0;        // "\f0" follows the RTF header's "\pard"
    int halfPoints = 24; // RTF's size when no "\fs" was given
    int colour = 0;      // 0: automatic
    int highlight = 0;   // 0: none

    bool operator==(const MarkupFormat &) const = default;
};

// What a page changes in a view that shows the previous conversion: it
// keeps its first `keep` paragraphs and puts `html` after them in place of
// the rest (at most the last paragraph, which more markup could continue).
struct HtmlChange
{
    std::size_t keep = 0;
    std::string html;
};

// The HTML of a markup document that grows at its end, as a worksheet does
// from drill to drill: each conversion converts only what was appended
// since the paragraph the last one left open, so that the view, changed as
// told, shows MarkupToHtml of the whole.
class GrowingHtml
{
public:
    // markup must begin with the markup of the previous call since
    // restart(); a shorter one is converted whole (keep 0).
    HtmlChange convert(std::string_view markup);
    // The document was replaced: the next conversion is whole.
    void restart();

private:
    std::size_t m_markupDone = 0;     // up to the end of the last paragraph closed
    std::size_t m_paragraphsDone = 0; // the paragraphs written up to there
    MarkupFormat m_format;            // in force there
};

} // namespace oxeln
