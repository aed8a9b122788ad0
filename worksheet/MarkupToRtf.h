#pragma once

#include "DocumentRtf.h"

#include <string>
#include <string_view>

namespace oxeln {

// The fixed RTF header (643 bytes): code page 1252, default tab 2880,
// French, fonts 0 to 4 and the sixteen-colour table of the markup.
extern const std::string_view RtfHeader;

// The markup's colour names ("<ce=rouge>", "<cf=jaune>"), in the order of the
// header's colour table: entry i + 1 is MarkupColourNames[i]. "\xE9" is the
// Windows-1252 "é".
inline constexpr std::string_view MarkupColourNames[] = {
    "noir", "marron", "vert", "olive", "bleu fonc\xE9", "violet", "cyan", "gris fonc\xE9",
    "gris clair", "rouge", "vert clair", "jaune", "bleu", "fuchsia", "bleu ciel", "blanc",
};

// Turns worksheet markup (Windows-1252 bytes) into one complete RTF text:
// header, converted body, "}". Tags are looked up case-insensitively
// (A-Z only); unknown tags vanish; bytes below 0x20 are dropped; "\", "{"
// and "}" in the text are escaped so a title cannot break the RTF. "<lt>"
// writes a "<", which the markup cannot hold as such.
std::string MarkupToRtf(std::string_view markup);

// The same, appending to out (which keeps its content).
void AppendMarkupAsRtf(std::string &out, std::string_view markup);

// The RTF of a markup document that grows at its end, as a worksheet does
// from drill to drill: each conversion converts only what was appended
// since the last one, giving the end of what MarkupToRtf of the whole gives;
// none of the whole RTF is kept.
class GrowingRtf
{
public:
    GrowingRtf() = default;
    // A copy holds the same text but is a stream of its own.
    GrowingRtf(const GrowingRtf &other);
    GrowingRtf &operator=(const GrowingRtf &other);

    // The RTF of markup, which must begin with the markup of the previous
    // call since restart(); a shorter markup is converted whole, on a new
    // stream. The tail stays valid until the next call, the markup as long
    // as the caller keeps it.
    DocumentRtf convert(std::string_view markup);
    // The document was replaced: the next conversion starts a new stream.
    void restart();

private:
    std::string m_tail;           // the last conversion's end
    std::size_t m_markupDone = 0; // markup converted for good
    std::size_t m_rtfDone = 0;    // the size of its RTF, header included
    std::uint64_t m_stream = 0;   // 0: none yet
};

} // namespace oxeln
