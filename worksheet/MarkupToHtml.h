#pragma once

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

} // namespace oxeln
