#pragma once

#include <QByteArray>
#include <QRawFont>

#include <vector>

namespace oxeln {

// A TrueType font as a PDF file embeds it: a Type 0 font whose character
// codes are the glyph numbers (Identity-H, CID = glyph), its outlines kept
// only for the glyphs used (with the parts of composite ones), a ToUnicode
// map that gives each glyph the lowest character the font maps to it.
class PdfFont
{
public:
    explicit PdfFont(const QRawFont &font);

    // TrueType outlines whose licence lets them be embedded.
    bool embeddable() const { return m_embeddable; }

    // Width in thousandths of the em, as the file states it.
    int width(quint32 glyph) const
    {
        return glyph < m_widths.size() ? m_widths[glyph] : m_widths.empty() ? 1000 : m_widths.back();
    }
    void use(quint32 glyph)
    {
        if (glyph >= m_used.size())
            m_used.resize(glyph + 1, false);
        m_used[glyph] = true;
    }

    // The PostScript name; the subset's name adds a tag before it.
    QByteArray name() const { return m_name; }
    QByteArray subsetName() const;
    // The font file of the glyphs used.
    QByteArray fontFile() const;
    // "/DW n" when every glyph used is as wide, else "/W [...]".
    QByteArray widths() const;
    QByteArray toUnicode() const;
    // The descriptor's metrics: /Flags ... /StemV, without /FontName and
    // the font file.
    QByteArray descriptorMetrics() const;

private:
    QByteArray table(const char *tag) const;

    QRawFont m_font;
    bool m_embeddable = false;
    QByteArray m_name;
    int m_unitsPerEm = 2048;
    int m_glyphCount = 0;
    int m_metricCount = 0;
    QByteArray m_hmtx;
    QByteArray m_loca;
    QByteArray m_glyf;
    bool m_longLoca = false;
    std::vector<bool> m_used; // by glyph
    std::vector<int> m_widths; // by glyph, up to the last with a width of its own
    std::vector<quint32> used() const;
};

} // namespace oxeln
