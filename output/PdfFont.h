#pragma once

#include <QByteArray>
#include <QRawFont>

#include <vector>

namespace oxeln {

// A TrueType font as a PDF file embeds it: a Type 0 font of one-byte
// codes, each glyph drawn given the next code (up to 256; the file makes
// another font of the same face for more), code = CID, mapped to the glyph
// by the CIDToGIDMap; its outlines kept only for the glyphs used (with the
// parts of composite ones); a ToUnicode map that gives each glyph the
// lowest character the font maps to it, as the toolkit's engine does.
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
    // The glyph's code, given now if it has none yet; -1 when all 256 are taken.
    int code(quint32 glyph)
    {
        if (glyph < m_codes.size() && m_codes[glyph] >= 0)
            return m_codes[glyph];
        if (m_glyphs.size() >= 256)
            return -1;
        if (glyph >= m_codes.size())
            m_codes.resize(glyph + 1, -1);
        m_codes[glyph] = int(m_glyphs.size());
        m_glyphs.push_back(glyph);
        return m_codes[glyph];
    }

    // The PostScript name; the subset's name adds a tag before it.
    QByteArray name() const { return m_name; }
    QByteArray subsetName() const;
    // The font file of the glyphs used.
    QByteArray fontFile() const;
    // "/DW n" when every glyph used is as wide, else "/W [...]", by code.
    QByteArray widths() const;
    QByteArray toUnicode() const;
    // Two bytes a code: its glyph.
    QByteArray cidToGidMap() const;
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
    std::vector<int> m_codes;      // by glyph, -1 for none
    std::vector<quint32> m_glyphs; // by code
    std::vector<int> m_widths; // by glyph, up to the last with a width of its own
};

} // namespace oxeln
