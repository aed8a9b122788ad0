#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace oxeln {

// A document's RTF as the drill frame hands it to a view: the whole text,
// and what lets a view read only its new end. Every text of one stream
// begins with the first `stable` bytes of each earlier text of that stream,
// so a view that read an earlier text up to no further than its `stable`
// bytes can go on from there without comparing anything.
struct DocumentRtf
{
    std::string_view text;    // complete RTF: MarkupToRtf of the whole document
    std::uint64_t stream = 0; // names one document from its start; never reused in a process
    std::size_t stable = 0;   // no later text of the stream changes text[0, stable)
};

} // namespace oxeln
