#include "PdfFile.h"

#include "PdfFont.h"
#include "PdfNumbers.h"

#include <QDateTime>

namespace oxeln {

namespace {

constexpr int kInfo = 1;
constexpr int kCatalog = 2;
constexpr int kPages = 3;
constexpr int kResources = 4;

// A zlib stream, as FlateDecode reads it: qCompress's without the length
// it puts before.
QByteArray compressed(const QByteArray &data, int level)
{
    QByteArray out = qCompress(data, level);
    out.remove(0, 4);
    return out;
}

// A text string of the document's information: UTF-16 with its mark.
QByteArray textString(const QString &text)
{
    QByteArray out = "(\xFE\xFF";
    for (const QChar c : text) {
        for (const char byte : {char(c.unicode() >> 8), char(c.unicode() & 0xFF)}) {
            if (byte == '(' || byte == ')' || byte == '\\')
                out += '\\';
            out += byte;
        }
    }
    return out + ')';
}

} // namespace

PdfFile::PdfFile(const Options &options) : m_options(options), m_offsets(kResources + 1, 0)
{
    m_out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
}

PdfFile::~PdfFile() = default;

int PdfFile::newObject()
{
    m_offsets.push_back(0);
    return int(m_offsets.size()) - 1;
}

void PdfFile::writeObject(int number, const QByteArray &body)
{
    m_offsets[std::size_t(number)] = m_out.size();
    m_out += QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
}

void PdfFile::writeStream(int number, const QByteArray &dictionary, const QByteArray &data, int level)
{
    const QByteArray packed = level > 0 ? compressed(data, level) : data;
    m_offsets[std::size_t(number)] = m_out.size();
    m_out += QByteArray::number(number) + " 0 obj\n<<\n" + dictionary + "/Length "
        + QByteArray::number(packed.size()) + (level > 0 ? "\n/Filter /FlateDecode\n" : "\n") + ">>\nstream\n";
    m_out += packed;
    m_out += "\nendstream\nendobj\n";
}

void PdfFile::beginPage(qreal scale, qreal top, const QRectF &clip)
{
    // Device pixels to points, y upwards, from the printable area's corner.
    const int resolution = m_options.resolution;
    const qreal unit = 72.0 / resolution;
    const QRect paint = m_options.pageLayout.paintRectPixels(resolution);
    const qreal height = m_options.pageLayout.fullRectPoints().height();
    m_content.clear();
    m_content += "q\n";
    for (const qreal v : {unit, 0.0, 0.0, -unit, unit * paint.left(), height - unit * paint.top()})
        AppendPdfNumber(m_content, v);
    m_content += "cm\n";
    for (const qreal v : {scale, 0.0, 0.0, scale, 0.0, -scale * top})
        AppendPdfNumber(m_content, v);
    m_content += "cm\n";
    for (const qreal v : {clip.x(), clip.y(), clip.width(), clip.height()})
        AppendPdfNumber(m_content, v);
    m_content += "re W n\n";
    m_color = QColor(Qt::black);
}

void PdfFile::setColor(const QColor &color)
{
    const QColor wanted = color.isValid() ? color : QColor(Qt::black);
    if (wanted == m_color)
        return;
    m_color = wanted;
    if (m_options.grayscale) {
        AppendPdfNumber(m_content, qGray(wanted.rgb()) / 255.0);
        m_content += "g\n";
    } else {
        for (const qreal v : {wanted.redF(), wanted.greenF(), wanted.blueF()})
            AppendPdfNumber(m_content, v);
        m_content += "rg\n";
    }
}

void PdfFile::fill(const QRectF &rect, const QColor &color)
{
    setColor(color);
    for (const qreal v : {rect.x(), rect.y(), rect.width(), rect.height()})
        AppendPdfNumber(m_content, v);
    m_content += "re f\n";
}

// A font of the face that has a code for the glyph, or room for one.
int PdfFile::fontFor(const QRawFont &font, quint32 glyph)
{
    std::vector<int> &planes = m_fontsByFace[font.familyName() + QLatin1Char('/') + font.styleName()];
    for (const int index : planes) {
        if (m_fonts[std::size_t(index)]->code(glyph) >= 0)
            return index;
    }
    m_fonts.push_back(std::make_unique<PdfFont>(font));
    planes.push_back(int(m_fonts.size()) - 1);
    return planes.back();
}

void PdfFile::glyphs(const QRawFont &rawFont, const QColor &color, qreal baseline, const quint32 *glyphs,
                     const qreal *x, std::size_t count)
{
    if (count == 0)
        return;
    const qreal size = rawFont.pixelSize();
    const qreal unit = size / 1000;
    setColor(color);
    m_content += "BT\n";
    PdfFont *font = nullptr;
    qreal expected = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const quint32 glyph = glyphs[i];
        int code = font ? font->code(glyph) : -1;
        if (code < 0) {
            // A string of one font from here: at the glyph's place.
            if (font)
                m_content += ")] TJ\n";
            const int index = fontFor(rawFont, glyph);
            font = m_fonts[std::size_t(index)].get();
            code = font->code(glyph);
            m_content += "/F" + std::to_string(index) + ' ';
            AppendPdfNumber(m_content, size);
            m_content += "Tf 1 0 0 -1 ";
            AppendPdfNumber(m_content, x[i]);
            AppendPdfNumber(m_content, baseline);
            m_content += "Tm [(";
            expected = x[i];
        }
        // Where the string would put it, or moved there.
        const qreal off = x[i] - expected;
        if (qAbs(off) > 1e-4) {
            m_content += ") ";
            AppendPdfNumber(m_content, -off / unit);
            m_content += '(';
        }
        const char byte = char(code);
        switch (byte) {
        case '(': case ')': case '\\': m_content += '\\'; m_content += byte; break;
        case '\n': m_content += "\\n"; break;
        case '\r': m_content += "\\r"; break;
        default: m_content += byte;
        }
        expected = x[i] + font->width(glyph) * unit;
    }
    m_content += ")] TJ\nET\n";
}

void PdfFile::endPage()
{
    m_content += "Q\n";
    const int page = newObject();
    const int content = newObject();
    const QRectF media = m_options.pageLayout.fullRectPoints();
    writeStream(content, {}, QByteArray::fromStdString(m_content), m_options.compression);
    writeObject(page, "<<\n/Type /Page\n/Parent 3 0 R\n/Contents " + QByteArray::number(content)
                          + " 0 R\n/Resources 4 0 R\n/MediaBox [0 0 " + PdfNumber(media.width()) + ' '
                          + PdfNumber(media.height()) + "]\n>>");
    m_pages.push_back(page);
    m_content.clear();
}

std::optional<QByteArray> PdfFile::finish()
{
    QByteArray fonts;
    int encoding = 0;
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        const PdfFont &font = *m_fonts[i];
        if (!font.embeddable())
            return std::nullopt;
        if (encoding == 0) {
            // One byte a code, code = CID, for every font.
            encoding = newObject();
            writeStream(encoding,
                        "/Type /CMap\n/CMapName /Oxeln-OneByte\n"
                        "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\n",
                        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                        "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> def\n"
                        "/CMapName /Oxeln-OneByte def\n/CMapType 1 def\n"
                        "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
                        "1 begincidrange\n<00> <FF> 0\nendcidrange\n"
                        "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n",
                        0);
        }
        const int type0 = newObject();
        const int cid = newObject();
        const int descriptor = newObject();
        const int file = newObject();
        const int unicode = newObject();
        const int map = newObject();
        const QByteArray data = font.fontFile();
        writeStream(file, "/Length1 " + QByteArray::number(data.size()) + '\n', data, 6);
        writeStream(map, {}, font.cidToGidMap(), 6);
        writeObject(descriptor, "<< /Type /FontDescriptor\n/FontName /" + font.subsetName() + '\n'
                                    + font.descriptorMetrics() + "/FontFile2 " + QByteArray::number(file) + " 0 R\n>>");
        writeObject(cid, "<< /Type /Font\n/Subtype /CIDFontType2\n/BaseFont /" + font.name()
                             + "\n/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\n"
                               "/FontDescriptor "
                             + QByteArray::number(descriptor) + " 0 R\n/CIDToGIDMap " + QByteArray::number(map)
                             + " 0 R\n" + font.widths() + "\n>>");
        writeStream(unicode, {}, font.toUnicode(), 0);
        writeObject(type0, "<< /Type /Font\n/Subtype /Type0\n/BaseFont /" + font.name() + "\n/Encoding "
                               + QByteArray::number(encoding) + " 0 R\n/DescendantFonts [" + QByteArray::number(cid)
                               + " 0 R]\n/ToUnicode " + QByteArray::number(unicode) + " 0 R\n>>");
        fonts += "/F" + QByteArray::number(qulonglong(i)) + ' ' + QByteArray::number(type0) + " 0 R\n";
    }
    writeObject(kResources, "<<\n/ProcSet [/PDF /Text]\n/Font <<\n" + fonts + ">>\n>>");
    QByteArray kids;
    for (const int page : m_pages)
        kids += QByteArray::number(page) + " 0 R\n";
    writeObject(kPages, "<<\n/Type /Pages\n/Kids [\n" + kids + "]\n/Count " + QByteArray::number(qulonglong(m_pages.size()))
                            + "\n>>");
    writeObject(kCatalog, "<<\n/Type /Catalog\n/Pages 3 0 R\n>>");
    writeObject(kInfo, "<<\n/Title " + textString(m_options.title) + "\n/Creator " + textString(m_options.creator)
                           + "\n/Producer " + textString(m_options.creator) + "\n/CreationDate (D:"
                           + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1()
                           + "Z)\n>>");
    const qsizetype xref = m_out.size();
    m_out += "xref\n0 " + QByteArray::number(qulonglong(m_offsets.size())) + "\n0000000000 65535 f \n";
    for (std::size_t i = 1; i < m_offsets.size(); ++i)
        m_out += QByteArray::number(m_offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    m_out += "trailer\n<<\n/Size " + QByteArray::number(qulonglong(m_offsets.size()))
        + "\n/Info 1 0 R\n/Root 2 0 R\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return std::move(m_out);
}

} // namespace oxeln
