#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace oxeln {

// A document's RTF as the drill frame hands it to a view: the end of the
// conversion that this drill changed, with what a view needs to read only
// that end. The whole RTF (MarkupToRtf of markup) is the bytes [0, offset)
// of the previous text of the same stream followed by tail; the first text
// of a stream has offset 0, its tail being the whole. Every later text of a
// stream keeps the first `stable` bytes of each earlier one, so a view that
// read an earlier text up to no further than its `stable` bytes can go on
// from there.
struct DocumentRtf
{
    std::string_view markup;  // the whole document in the worksheet markup
    std::string_view tail;    // the whole RTF from offset on
    std::size_t offset = 0;   // never beyond the previous text's stable bytes
    std::uint64_t stream = 0; // names one document from its start; never reused in a process
    std::size_t stable = 0;   // no later text of the stream changes the whole RTF's [0, stable)
};

// The whole RTF of the document: MarkupToRtf(rtf.markup), or the tail
// itself when it is the whole.
std::string WholeRtf(const DocumentRtf &rtf);

} // namespace oxeln
