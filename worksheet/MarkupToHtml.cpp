#include "MarkupToHtml.h"

#include "Cp1252.h"
#include "MarkupToRtf.h"
#include "PupilSheet.h"

#include <utility>
#include <vector>

namespace oxeln {

namespace {

// The fonts of the RTF header, with the metric-compatible families that
// stand in for them where they are not installed.
constexpr std::string_view FontFamilies[] = {
    "Arial, 'Liberation Sans', sans-serif",
    "'Times New Roman', 'Liberation Serif', serif",
    "'Courier New', 'Liberation Mono', monospace",
    "Symbol",
};

// The values of the header's colour table, in the order of its names.
constexpr std::string_view ColourValues[] = {
    "#000000", "#800000", "#008000", "#808000", "#000080", "#800080", "#008080", "#808080",
    "#c0c0c0", "#ff0000", "#00ff00", "#ffff00", "#0000ff", "#ff00ff", "#00ffff", "#ffffff",
};

using Format = MarkupFormat;
using Shift = MarkupFormat::Shift;

// The colour's index, 1 to 16, or 0 when the name is none of the table's.
int colourIndex(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(MarkupColourNames); ++i) {
        if (MarkupColourNames[i] == name)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// "\fs" with the tag text less every "te=": a size only when digits are
// left (up to a sane 1,000 points); anything else changes nothing shown.
void applySize(Format &format, std::string_view folded)
{
    std::string rest;
    for (std::size_t i = 0; i < folded.size();) {
        if (folded.substr(i, 3) == "te=") {
            i += 3;
        } else {
            rest += folded[i++];
        }
    }
    if (rest.empty()) {
        format.halfPoints = 24;
        return;
    }
    int value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return;
        value = value * 10 + (c - '0');
        if (value > 2000)
            return;
    }
    if (value > 0)
        format.halfPoints = value;
}

// Applies one tag; returns whether it is "<br>".
bool applyTag(Format &format, std::string_view tag)
{
    if (tag == "br")
        return true;
    if (tag == "b" || tag == "/b")
        format.bold = tag == "b";
    else if (tag == "i" || tag == "/i")
        format.italic = tag == "i";
    else if (tag == "u" || tag == "/u")
        format.underline = tag == "u";
    else if (tag == "s" || tag == "/s")
        format.strike = tag == "s";
    else if (tag == "sup")
        format.shift = Shift::Super;
    else if (tag == "sub")
        format.shift = Shift::Sub;
    else if (tag == "/sup" || tag == "/sub")
        format.shift = Shift::None;
    else if (tag == "arial")
        format.font = 0;
    else if (tag == "times")
        format.font = 1;
    else if (tag == "courier")
        format.font = 2;
    else if (tag == "symbol")
        format.font = 3;
    else if (tag.substr(0, 3) == "te=")
        applySize(format, tag);
    else if (tag == "ce=auto" || tag == "ce=automatique")
        format.colour = 0;
    else if (tag == "cf=auto" || tag == "cf=automatique")
        format.highlight = 0;
    else if (tag.substr(0, 3) == "ce=" && colourIndex(tag.substr(3)))
        format.colour = colourIndex(tag.substr(3));
    else if (tag.substr(0, 3) == "cf=" && colourIndex(tag.substr(3)))
        format.highlight = colourIndex(tag.substr(3));
    return false;
}

std::string pointSize(int halfPoints)
{
    return std::to_string(halfPoints / 2) + (halfPoints % 2 ? ".5pt" : "pt");
}

std::string styleOf(const Format &format)
{
    std::string style = "font-family:";
    style += FontFamilies[format.font];
    // Raised and lowered text at two thirds of the size, as word processors
    // set it, without making its line taller.
    style += ";font-size:" + pointSize(format.shift == Shift::None ? format.halfPoints : format.halfPoints * 2 / 3);
    if (format.shift != Shift::None)
        style += format.shift == Shift::Super ? ";vertical-align:super;line-height:0" : ";vertical-align:sub;line-height:0";
    if (format.bold)
        style += ";font-weight:bold";
    if (format.italic)
        style += ";font-style:italic";
    if (format.underline || format.strike) {
        style += ";text-decoration:";
        style += format.underline && format.strike ? "underline line-through" : format.underline ? "underline" : "line-through";
    }
    if (format.colour)
        style += ";color:" + std::string(ColourValues[format.colour - 1]);
    if (format.highlight)
        style += ";background-color:" + std::string(ColourValues[format.highlight - 1]);
    return style;
}

// Paragraphs are made whole, then written with their opening tag, which
// depends on all their runs.
class HtmlWriter
{
public:
    void text(const Format &format, std::string_view bytes)
    {
        if (bytes.empty())
            return;
        if (!m_inSpan || !(format == m_spanFormat)) {
            closeSpan();
            m_paragraph += "<span style=\"";
            m_paragraph += style(format);
            m_paragraph += "\">";
            m_spanFormat = format;
            m_inSpan = true;
        }
        AppendHtmlEscaped(m_paragraph, Cp1252ToUtf8(bytes));
        m_hasText = true;
        m_fixedPitch = m_fixedPitch && format.font == 2;
    }

    void endParagraph(const Format &format)
    {
        closeSpan();
        if (!m_hasText) {
            m_paragraph += "<span style=\"";
            m_paragraph += style(format);
            m_paragraph += "\"><br></span>";
        }
        flush();
    }

    std::string finish()
    {
        closeSpan();
        if (m_hasText)
            flush();
        return std::move(m_out);
    }

    // Paragraphs written so far.
    std::size_t paragraphs() const { return m_paragraphs; }

private:
    // A worksheet alternates between a few formats (the text, its
    // highlighted answers): their styles are made once.
    const std::string &style(const Format &format)
    {
        for (const auto &[known, text] : m_styles) {
            if (known == format)
                return text;
        }
        if (m_styles.size() == 8)
            m_styles.erase(m_styles.begin());
        m_styles.emplace_back(format, styleOf(format));
        return m_styles.back().second;
    }

    void closeSpan()
    {
        if (m_inSpan) {
            m_paragraph += "</span>";
            m_inSpan = false;
        }
    }
    void flush()
    {
        m_out += m_hasText && m_fixedPitch ? "<p class=\"fixed\">" : "<p>";
        m_out += m_paragraph;
        m_out += "</p>";
        ++m_paragraphs;
        m_paragraph.clear();
        m_hasText = false;
        m_fixedPitch = true;
    }

    std::vector<std::pair<Format, std::string>> m_styles;
    std::string m_out;
    std::size_t m_paragraphs = 0;
    std::string m_paragraph; // the open paragraph's runs
    Format m_spanFormat;
    bool m_inSpan = false;
    bool m_hasText = false;
    bool m_fixedPitch = true; // every run so far in Courier New
};

// Where a later conversion of more markup may begin: just past the last
// "<br>" read whole, where a paragraph starts afresh.
struct Resume
{
    std::size_t markup = 0;
    std::size_t paragraphs = 0;
    Format format;
};

// The HTML of markup read from a paragraph's start, in format; resume is
// moved past each paragraph closed.
std::string convertFrom(std::string_view markup, Format format, Resume &resume)
{
    HtmlWriter out;
    std::string run; // plain bytes in the current format
    std::size_t i = 0;
    while (i < markup.size()) {
        const char c = markup[i];
        if (c != '<') {
            if (static_cast<unsigned char>(c) >= 0x20)
                run += c;
            ++i;
            continue;
        }
        out.text(format, run);
        run.clear();
        std::size_t end = markup.find('>', i + 1);
        const bool closed = end != std::string_view::npos;
        if (!closed)
            end = markup.size();
        std::string tag(markup.substr(i + 1, end - i - 1));
        for (char &t : tag) {
            if (t >= 'A' && t <= 'Z')
                t = static_cast<char>(t - 'A' + 'a');
        }
        if (tag == "tab")
            run += '\t';
        else if (tag == "lt") // the one way the markup writes a "<"
            run += '<';
        else if (applyTag(format, tag)) {
            out.endParagraph(format);
            // A tag left open at the end may read otherwise once it is closed.
            if (closed)
                resume = {end + 1, out.paragraphs(), format};
        }
        i = end + 1;
    }
    out.text(format, run);
    return out.finish();
}

} // namespace

std::string MarkupToHtml(std::string_view markup)
{
    Resume resume;
    return convertFrom(markup, Format{}, resume);
}

HtmlChange GrowingHtml::convert(std::string_view markup)
{
    if (markup.size() < m_markupDone)
        restart();
    Resume resume;
    HtmlChange change{m_paragraphsDone, convertFrom(markup.substr(m_markupDone), m_format, resume)};
    m_markupDone += resume.markup;
    m_paragraphsDone += resume.paragraphs;
    if (resume.markup > 0)
        m_format = resume.format;
    return change;
}

void GrowingHtml::restart()
{
    m_markupDone = 0;
    m_paragraphsDone = 0;
    m_format = {};
}

} // namespace oxeln
