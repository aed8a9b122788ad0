#include "PdfFont.h"

#include "PdfNumbers.h"

#include <QCryptographicHash>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace oxeln {

namespace {

quint16 u16(const QByteArray &data, qsizetype at)
{
    return at + 2 <= data.size() ? quint16((uchar(data[at]) << 8) | uchar(data[at + 1])) : 0;
}

qint16 s16(const QByteArray &data, qsizetype at)
{
    return qint16(u16(data, at));
}

quint32 u32(const QByteArray &data, qsizetype at)
{
    return (quint32(u16(data, at)) << 16) | u16(data, at + 2);
}

void put16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8)).append(char(v));
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v >> 16));
    put16(out, quint16(v));
}

quint32 checksum(const QByteArray &data)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < data.size(); i += 4) {
        quint32 word = 0;
        for (int b = 0; b < 4; ++b)
            word = (word << 8) | (i + b < data.size() ? uchar(data[i + b]) : 0);
        sum += word;
    }
    return sum;
}

// The lowest character the font maps to each glyph, within the BMP.
std::map<quint32, char16_t> reverseMap(const QByteArray &cmap)
{
    std::map<quint32, char16_t> found;
    qsizetype format4 = -1;
    qsizetype format12 = -1;
    for (int i = 0; i < u16(cmap, 2); ++i) {
        const qsizetype record = 4 + 8 * i;
        const quint16 platform = u16(cmap, record);
        const quint16 encoding = u16(cmap, record + 2);
        const qsizetype offset = u32(cmap, record + 4);
        const quint16 format = u16(cmap, offset);
        if (format == 12 && (platform == 3 || platform == 0))
            format12 = offset;
        else if (format == 4 && ((platform == 3 && encoding == 1) || platform == 0) && format4 < 0)
            format4 = offset;
    }
    const auto note = [&found](quint32 glyph, quint32 c) {
        if (glyph != 0 && c < 0x10000)
            found.emplace(glyph, char16_t(c)); // the first, lowest, stays
    };
    if (format12 >= 0) {
        const quint32 groups = u32(cmap, format12 + 12);
        for (quint32 g = 0; g < groups; ++g) {
            const qsizetype at = format12 + 16 + 12 * qsizetype(g);
            const quint32 start = u32(cmap, at);
            const quint32 end = qMin<quint32>(u32(cmap, at + 4), 0xFFFF);
            for (quint32 c = start; c <= end; ++c)
                note(u32(cmap, at + 8) + (c - start), c);
        }
    } else if (format4 >= 0) {
        const int segments = u16(cmap, format4 + 6) / 2;
        const qsizetype ends = format4 + 14;
        const qsizetype starts = ends + 2 * segments + 2;
        const qsizetype deltas = starts + 2 * segments;
        const qsizetype ranges = deltas + 2 * segments;
        for (int s = 0; s < segments; ++s) {
            const quint16 start = u16(cmap, starts + 2 * s);
            const quint16 end = u16(cmap, ends + 2 * s);
            const quint16 delta = u16(cmap, deltas + 2 * s);
            const quint16 range = u16(cmap, ranges + 2 * s);
            for (quint32 c = start; c <= end && c != 0xFFFF; ++c) {
                quint32 glyph = 0;
                if (range == 0) {
                    glyph = quint16(c + delta);
                } else {
                    const qsizetype at = ranges + 2 * s + range + 2 * (c - start);
                    glyph = u16(cmap, at);
                    if (glyph != 0)
                        glyph = quint16(glyph + delta);
                }
                note(glyph, c);
            }
        }
    }
    return found;
}

} // namespace

PdfFont::PdfFont(const QRawFont &font) : m_font(font)
{
    const QByteArray head = table("head");
    const QByteArray hhea = table("hhea");
    const QByteArray maxp = table("maxp");
    const QByteArray os2 = table("OS/2");
    m_hmtx = table("hmtx");
    m_loca = table("loca");
    m_glyf = table("glyf");
    if (head.size() < 54 || hhea.size() < 36 || maxp.size() < 6 || m_glyf.isEmpty() || m_loca.isEmpty())
        return;
    m_unitsPerEm = qMax<int>(16, u16(head, 18));
    m_longLoca = s16(head, 50) == 1;
    m_glyphCount = u16(maxp, 4);
    m_metricCount = qMax<int>(1, u16(hhea, 34));
    const quint16 fsType = u16(os2, 8);
    m_embeddable = !(fsType == 2 || (fsType & 0x200)) && m_hmtx.size() >= 4 * m_metricCount
        && m_loca.size() >= (m_longLoca ? 4 : 2) * (m_glyphCount + 1);

    // The PostScript name, from the name table (Windows or Macintosh).
    const QByteArray names = table("name");
    const qsizetype strings = u16(names, 4);
    for (int i = 0; i < u16(names, 2) && m_name.isEmpty(); ++i) {
        const qsizetype record = 6 + 12 * i;
        if (u16(names, record + 6) != 6)
            continue;
        const quint16 platform = u16(names, record);
        const QByteArray raw = names.mid(strings + u16(names, record + 10), u16(names, record + 8));
        for (qsizetype c = platform == 1 ? 0 : 1; c < raw.size(); c += platform == 1 ? 1 : 2) {
            const char ch = raw[c];
            if (ch > 32 && ch < 127 && ch != '/' && ch != '(' && ch != ')' && ch != '[' && ch != ']')
                m_name += ch;
        }
    }
    if (m_name.isEmpty())
        m_name = font.familyName().toLatin1().replace(' ', "");
    for (int metric = 0; metric < m_metricCount && 4 * metric + 2 <= m_hmtx.size(); ++metric)
        m_widths.push_back(qRound(u16(m_hmtx, 4 * metric) * 1000.0 / m_unitsPerEm));
}

QByteArray PdfFont::table(const char *tag) const
{
    return m_font.fontTable(tag);
}

QByteArray PdfFont::subsetName() const
{
    // Six capitals told by the glyphs kept, as subsets are named.
    QByteArray glyphs;
    for (const quint32 g : m_glyphs)
        put32(glyphs, g);
    const QByteArray hash = QCryptographicHash::hash(glyphs + m_name, QCryptographicHash::Md5);
    QByteArray tag;
    for (int i = 0; i < 6; ++i)
        tag += char('A' + uchar(hash[i]) % 26);
    return tag + '+' + m_name;
}

QByteArray PdfFont::fontFile() const
{
    const auto glyphAt = [this](quint32 g) -> std::pair<qsizetype, qsizetype> {
        if (g >= quint32(m_glyphCount))
            return {0, 0};
        const qsizetype start = m_longLoca ? qsizetype(u32(m_loca, 4 * g)) : 2 * qsizetype(u16(m_loca, 2 * g));
        const qsizetype end = m_longLoca ? qsizetype(u32(m_loca, 4 * g + 4)) : 2 * qsizetype(u16(m_loca, 2 * g + 2));
        return {start, qMax<qsizetype>(0, qMin(end, m_glyf.size()) - start)};
    };
    // The glyphs used and the parts of composite ones.
    std::set<quint32> kept;
    std::vector<quint32> todo = m_glyphs;
    todo.push_back(0);
    while (!todo.empty()) {
        const quint32 g = todo.back();
        todo.pop_back();
        if (!kept.insert(g).second)
            continue;
        const auto [start, length] = glyphAt(g);
        if (length < 10 || s16(m_glyf, start) >= 0)
            continue;
        for (qsizetype at = start + 10; at + 4 <= start + length;) {
            const quint16 flags = u16(m_glyf, at);
            todo.push_back(u16(m_glyf, at + 2));
            at += 4 + ((flags & 0x0001) ? 4 : 2) + ((flags & 0x0008) ? 2 : (flags & 0x0040) ? 4 : (flags & 0x0080) ? 8 : 0);
            if (!(flags & 0x0020))
                break;
        }
    }
    QByteArray glyf;
    QByteArray loca;
    for (int g = 0; g < m_glyphCount; ++g) {
        put32(loca, quint32(glyf.size()));
        if (kept.count(quint32(g))) {
            const auto [start, length] = glyphAt(quint32(g));
            glyf += m_glyf.mid(start, length);
            while (glyf.size() % 4)
                glyf += '\0';
        }
    }
    put32(loca, quint32(glyf.size()));
    QByteArray head = table("head");
    head[50] = 0;
    head[51] = 1; // long offsets
    head.replace(8, 4, QByteArray(4, '\0'));

    std::map<QByteArray, QByteArray> tables = {{"glyf", glyf}, {"head", head}, {"hhea", table("hhea")},
                                               {"hmtx", m_hmtx}, {"loca", loca}, {"maxp", table("maxp")}};
    const QByteArray os2 = table("OS/2");
    if (!os2.isEmpty())
        tables.emplace("OS/2", os2);
    QByteArray out;
    const int count = int(tables.size());
    int power = 1;
    int log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    put32(out, 0x00010000);
    put16(out, quint16(count));
    put16(out, quint16(power * 16));
    put16(out, quint16(log));
    put16(out, quint16(count * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * count);
    QByteArray body;
    qsizetype headAt = 0;
    for (const auto &[tag, data] : tables) {
        out += tag;
        put32(out, checksum(data));
        put32(out, offset + quint32(body.size()));
        put32(out, quint32(data.size()));
        if (tag == "head")
            headAt = offset + body.size();
        body += data;
        while (body.size() % 4)
            body += '\0';
    }
    out += body;
    const quint32 adjustment = 0xB1B0AFBA - checksum(out);
    QByteArray stamp;
    put32(stamp, adjustment);
    out.replace(headAt + 8, 4, stamp);
    return out;
}

QByteArray PdfFont::widths() const
{
    if (m_glyphs.empty())
        return "/DW 1000";
    std::vector<int> byCode;
    for (const quint32 g : m_glyphs)
        byCode.push_back(width(g));
    if (std::all_of(byCode.cbegin(), byCode.cend(), [&byCode](int w) { return w == byCode.front(); }))
        return "/DW " + QByteArray::number(byCode.front());
    QByteArray out = "/W [0 [";
    for (std::size_t c = 0; c < byCode.size(); ++c)
        out += (c ? " " : "") + QByteArray::number(byCode[c]);
    return out + "]]";
}

QByteArray PdfFont::cidToGidMap() const
{
    QByteArray out;
    for (const quint32 g : m_glyphs)
        put16(out, quint16(g));
    return out;
}

QByteArray PdfFont::toUnicode() const
{
    const std::map<quint32, char16_t> characters = reverseMap(table("cmap"));
    std::vector<std::pair<int, char16_t>> mapped;
    for (std::size_t code = 0; code < m_glyphs.size(); ++code) {
        const auto found = characters.find(m_glyphs[code]);
        if (found != characters.end())
            mapped.emplace_back(int(code), found->second);
    }
    QByteArray out = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
    const auto hex = [](quint32 v, int digits) {
        return QByteArray::number(v, 16).toUpper().rightJustified(digits, '0');
    };
    for (std::size_t i = 0; i < mapped.size(); i += 100) {
        const std::size_t n = qMin<std::size_t>(100, mapped.size() - i);
        out += QByteArray::number(qulonglong(n)) + " beginbfchar\n";
        for (std::size_t k = i; k < i + n; ++k)
            out += '<' + hex(quint32(mapped[k].first), 2) + "> <" + hex(mapped[k].second, 4) + ">\n";
        out += "endbfchar\n";
    }
    return out + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

QByteArray PdfFont::descriptorMetrics() const
{
    const QByteArray head = table("head");
    const QByteArray hhea = table("hhea");
    const QByteArray post = table("post");
    const qreal scale = 1000.0 / m_unitsPerEm;
    const qreal ascent = s16(hhea, 4) * scale;
    const qreal italic = post.size() >= 8 ? qint32(u32(post, 4)) / 65536.0 : 0;
    QByteArray out = "/Flags 4\n/FontBBox [";
    for (const int at : {36, 38, 40, 42})
        out += PdfNumber(s16(head, at) * scale) + (at < 42 ? " " : "");
    out += "]\n/ItalicAngle " + PdfNumber(italic) + "\n/Ascent " + PdfNumber(ascent) + "\n/Descent "
        + PdfNumber(s16(hhea, 6) * scale) + "\n/CapHeight " + PdfNumber(ascent) + "\n/StemV "
        + PdfNumber(post.size() >= 12 ? s16(post, 10) * scale : 80) + "\n";
    return out;
}

} // namespace oxeln
