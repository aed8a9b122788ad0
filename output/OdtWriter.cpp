#include "OdtWriter.h"

#include "ZipArchive.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextDocument>
#include <QXmlStreamWriter>

#include <map>
#include <set>

namespace oxeln {

namespace {

const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kFo = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
const QString kSvg = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");
const QString kMeta = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:meta:1.0");
const QString kDc = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString kManifest = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
const QString kMimeType = QStringLiteral("application/vnd.oasis.opendocument.text");

QString points(qreal value)
{
    return QString::number(value, 'f', 2) + QStringLiteral("pt");
}

QString millimetres(qreal value)
{
    return QString::number(value, 'f', 2) + QStringLiteral("mm");
}

// Attributes of one style's properties element, in a fixed order: also the
// key under which equal styles are shared.
using Properties = QList<std::pair<QString, QString>>;

QString keyOf(const Properties &properties)
{
    QString key;
    for (const auto &[name, value] : properties)
        key += name + u'=' + value + u';';
    return key;
}

class OdtBuilder
{
public:
    OdtBuilder(const QTextDocument &document, qreal dpi) : m_document(document), m_dpi(dpi) {}

    QByteArray content();
    QByteArray styles(const QPageLayout &page, int lineSpacingPercent) const;

private:
    struct Style
    {
        QString name;
        Properties paragraph;
        Properties text;
    };

    Properties textProperties(const QTextCharFormat &format);
    Properties paragraphProperties(const QTextBlockFormat &format) const;
    QString textStyle(const QTextFragment &fragment);
    QString textStyle(const QTextCharFormat &format);
    QString paragraphStyle(const QTextBlock &block);
    void writeFontFaces(QXmlStreamWriter &xml) const;
    void writeParagraph(QXmlStreamWriter &xml, const QTextBlock &block);
    qreal pt(qreal pixels) const { return pixels * 72.0 / m_dpi; }

    const QTextDocument &m_document;
    qreal m_dpi;
    std::set<QString> m_families;
    std::map<QString, Style> m_textStyles;      // by key
    std::map<QString, Style> m_paragraphStyles; // by key
    // The same by the document's own format numbers: a worksheet has tens
    // of thousands of runs in a handful of formats.
    std::map<int, QString> m_textStyleOfFormat;
    std::map<std::pair<int, int>, QString> m_paragraphStyleOfFormats;
    QList<const Style *> m_order;           // as first used
    std::map<QString, QList<QTextOption::Tab>> m_tabs; // paragraph style name to its tab stops
};

Properties OdtBuilder::textProperties(const QTextCharFormat &format)
{
    const QFont base = m_document.defaultFont();
    QString family = base.family();
    const QVariant families = format.property(QTextFormat::FontFamilies);
    if (families.isValid() && !families.toStringList().isEmpty())
        family = families.toStringList().constFirst();
    else if (format.hasProperty(QTextFormat::FontFamily))
        family = format.property(QTextFormat::FontFamily).toString();
    m_families.insert(family);

    qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : pt(base.pixelSize());
    if (format.hasProperty(QTextFormat::FontPointSize))
        size = format.fontPointSize();
    else if (format.hasProperty(QTextFormat::FontPixelSize))
        size = pt(format.intProperty(QTextFormat::FontPixelSize));
    const int weight = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() : base.weight();
    const bool italic = format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : base.italic();

    Properties p;
    p.append({QStringLiteral("style:font-name"), family});
    p.append({QStringLiteral("fo:font-size"), points(size)});
    p.append({QStringLiteral("fo:font-weight"), weight >= QFont::DemiBold ? QStringLiteral("bold")
                                                                          : QStringLiteral("normal")});
    p.append({QStringLiteral("fo:font-style"), italic ? QStringLiteral("italic") : QStringLiteral("normal")});
    if (format.fontUnderline()) {
        p.append({QStringLiteral("style:text-underline-style"), QStringLiteral("solid")});
        p.append({QStringLiteral("style:text-underline-width"), QStringLiteral("auto")});
        p.append({QStringLiteral("style:text-underline-color"), QStringLiteral("font-color")});
    }
    if (format.fontStrikeOut())
        p.append({QStringLiteral("style:text-line-through-style"), QStringLiteral("solid")});
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        p.append({QStringLiteral("style:text-position"), QStringLiteral("super 58%")});
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        p.append({QStringLiteral("style:text-position"), QStringLiteral("sub 58%")});
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        p.append({QStringLiteral("fo:color"), format.foreground().color().name()});
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
        p.append({QStringLiteral("fo:background-color"), format.background().color().name()});
    p.append({QStringLiteral("fo:language"), QStringLiteral("fr")});
    p.append({QStringLiteral("fo:country"), QStringLiteral("FR")});
    return p;
}

Properties OdtBuilder::paragraphProperties(const QTextBlockFormat &format) const
{
    Properties p;
    if (format.hasProperty(QTextFormat::BlockAlignment)) {
        const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
        QString value = QStringLiteral("start");
        if (align & Qt::AlignHCenter)
            value = QStringLiteral("center");
        else if (align & Qt::AlignJustify)
            value = QStringLiteral("justify");
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            value = QStringLiteral("end");
        p.append({QStringLiteral("fo:text-align"), value});
    }
    const qreal left = format.leftMargin() + format.indent() * m_document.indentWidth();
    p.append({QStringLiteral("fo:margin-left"), points(pt(left))});
    p.append({QStringLiteral("fo:margin-right"), points(pt(format.rightMargin()))});
    p.append({QStringLiteral("fo:text-indent"), points(pt(format.textIndent()))});
    p.append({QStringLiteral("fo:margin-top"), points(pt(format.topMargin()))});
    p.append({QStringLiteral("fo:margin-bottom"), points(pt(format.bottomMargin()))});
    return p;
}

QString OdtBuilder::textStyle(const QTextCharFormat &format)
{
    const Properties text = textProperties(format);
    const QString key = keyOf(text);
    auto it = m_textStyles.find(key);
    if (it == m_textStyles.end()) {
        const QString name = QStringLiteral("T%1").arg(m_textStyles.size() + 1);
        it = m_textStyles.emplace(key, Style{name, {}, text}).first;
        m_order.append(&it->second);
    }
    return it->second.name;
}

QString OdtBuilder::textStyle(const QTextFragment &fragment)
{
    QString &name = m_textStyleOfFormat[fragment.charFormatIndex()];
    if (name.isEmpty())
        name = textStyle(fragment.charFormat());
    return name;
}

QString OdtBuilder::paragraphStyle(const QTextBlock &block)
{
    QString &known = m_paragraphStyleOfFormats[{block.blockFormatIndex(), block.charFormatIndex()}];
    if (!known.isEmpty())
        return known;
    const QTextBlockFormat format = block.blockFormat();
    const Properties paragraph = paragraphProperties(format);
    // An empty paragraph takes its height from the paragraph's own font.
    const Properties text = textProperties(block.charFormat());
    QString key = keyOf(paragraph) + u'|' + keyOf(text);
    QList<QTextOption::Tab> tabs = format.tabPositions();
    for (QTextOption::Tab &tab : tabs)
        tab.position = pt(tab.position);
    for (const QTextOption::Tab &tab : tabs)
        key += QString::number(tab.position) + u',' + QString::number(int(tab.type)) + u';';
    auto it = m_paragraphStyles.find(key);
    if (it == m_paragraphStyles.end()) {
        const QString name = QStringLiteral("P%1").arg(m_paragraphStyles.size() + 1);
        it = m_paragraphStyles.emplace(key, Style{name, paragraph, text}).first;
        m_order.append(&it->second);
        m_tabs[name] = tabs;
    }
    known = it->second.name;
    return known;
}

// Blanks are kept one for one: a reader folds a run of blanks in the text
// into one, and drops those at the start of a paragraph, so every blank that
// follows another, or opens the paragraph, is written as <text:s/>.
void OdtBuilder::writeParagraph(QXmlStreamWriter &xml, const QTextBlock &block)
{
    xml.writeStartElement(kText, QStringLiteral("p"));
    xml.writeAttribute(kText, QStringLiteral("style-name"), paragraphStyle(block));
    bool afterBlank = true;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid() || fragment.length() == 0)
            continue;
        xml.writeStartElement(kText, QStringLiteral("span"));
        xml.writeAttribute(kText, QStringLiteral("style-name"), textStyle(fragment));
        const QString text = fragment.text();
        QString run;
        int blanks = 0;
        auto flushText = [&] {
            if (!run.isEmpty())
                xml.writeCharacters(run);
            run.clear();
        };
        auto flushBlanks = [&] {
            if (blanks == 0)
                return;
            if (!afterBlank) {
                run += u' ';
                --blanks;
            }
            flushText();
            if (blanks > 0) {
                xml.writeEmptyElement(kText, QStringLiteral("s"));
                if (blanks > 1)
                    xml.writeAttribute(kText, QStringLiteral("c"), QString::number(blanks));
            }
            blanks = 0;
            afterBlank = true;
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            const char16_t u = c.unicode();
            if (u == u' ') {
                ++blanks;
                continue;
            }
            flushBlanks();
            if (u == u'\t' || u == QChar::LineSeparator) {
                flushText();
                xml.writeEmptyElement(kText, u == u'\t' ? QStringLiteral("tab") : QStringLiteral("line-break"));
                afterBlank = true;
            } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                run += c;
                run += text.at(++i);
                afterBlank = false;
            } else if (u < 0x20 || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF || u == QChar::ObjectReplacementCharacter
                       || u == 0xFDD0 || u == 0xFDD1) {
                // Not text: controls, embedded objects, table frame marks.
            } else {
                run += c;
                afterBlank = false;
            }
        }
        flushBlanks();
        flushText();
        xml.writeEndElement(); // span
    }
    xml.writeEndElement(); // p
}

void OdtBuilder::writeFontFaces(QXmlStreamWriter &xml) const
{
    xml.writeStartElement(kOffice, QStringLiteral("font-face-decls"));
    for (const QString &family : m_families) {
        xml.writeEmptyElement(kStyle, QStringLiteral("font-face"));
        xml.writeAttribute(kStyle, QStringLiteral("name"), family);
        xml.writeAttribute(kSvg, QStringLiteral("font-family"), u'\'' + family + u'\'');
        const bool fixed = QFontDatabase::isFixedPitch(family);
        xml.writeAttribute(kStyle, QStringLiteral("font-family-generic"),
                           fixed ? QStringLiteral("modern") : QStringLiteral("swiss"));
        xml.writeAttribute(kStyle, QStringLiteral("font-pitch"),
                           fixed ? QStringLiteral("fixed") : QStringLiteral("variable"));
    }
    xml.writeEndElement();
}

// tabs: positions in points.
void writeProperties(QXmlStreamWriter &xml, const QString &element, const Properties &properties,
                     const QList<QTextOption::Tab> *tabs = nullptr)
{
    const bool hasTabs = tabs && !tabs->isEmpty();
    if (properties.isEmpty() && !hasTabs)
        return;
    if (hasTabs)
        xml.writeStartElement(element);
    else
        xml.writeEmptyElement(element);
    for (const auto &[name, value] : properties)
        xml.writeAttribute(name, value);
    if (hasTabs) {
        xml.writeStartElement(QStringLiteral("style:tab-stops"));
        for (const QTextOption::Tab &tab : *tabs) {
            xml.writeEmptyElement(QStringLiteral("style:tab-stop"));
            xml.writeAttribute(QStringLiteral("style:position"), points(tab.position));
            if (tab.type == QTextOption::RightTab)
                xml.writeAttribute(QStringLiteral("style:type"), QStringLiteral("right"));
            else if (tab.type == QTextOption::CenterTab)
                xml.writeAttribute(QStringLiteral("style:type"), QStringLiteral("center"));
            else if (tab.type == QTextOption::DelimiterTab)
                xml.writeAttribute(QStringLiteral("style:type"), QStringLiteral("char"));
        }
        xml.writeEndElement();
        xml.writeEndElement();
    }
}

void declareNamespaces(QXmlStreamWriter &xml)
{
    xml.writeNamespace(kOffice, QStringLiteral("office"));
    xml.writeNamespace(kStyle, QStringLiteral("style"));
    xml.writeNamespace(kText, QStringLiteral("text"));
    xml.writeNamespace(kFo, QStringLiteral("fo"));
    xml.writeNamespace(kSvg, QStringLiteral("svg"));
}

QByteArray OdtBuilder::content()
{
    // The styles come before the text: a first pass finds those used.
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        paragraphStyle(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().isValid() && it.fragment().length() > 0)
                textStyle(it.fragment());
        }
    }

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    declareNamespaces(xml);
    xml.writeStartElement(kOffice, QStringLiteral("document-content"));
    xml.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    writeFontFaces(xml);
    xml.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    for (const Style *style : std::as_const(m_order)) {
        const bool paragraph = style->name.startsWith(u'P');
        xml.writeStartElement(kStyle, QStringLiteral("style"));
        xml.writeAttribute(kStyle, QStringLiteral("name"), style->name);
        xml.writeAttribute(kStyle, QStringLiteral("family"),
                           paragraph ? QStringLiteral("paragraph") : QStringLiteral("text"));
        if (paragraph) {
            xml.writeAttribute(kStyle, QStringLiteral("parent-style-name"), QStringLiteral("Standard"));
            writeProperties(xml, QStringLiteral("style:paragraph-properties"), style->paragraph,
                            &m_tabs.at(style->name));
        }
        writeProperties(xml, QStringLiteral("style:text-properties"), style->text);
        xml.writeEndElement();
    }
    xml.writeEndElement();

    xml.writeStartElement(kOffice, QStringLiteral("body"));
    xml.writeStartElement(kOffice, QStringLiteral("text"));
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
        writeParagraph(xml, block);
    xml.writeEndDocument();
    return out;
}

QByteArray OdtBuilder::styles(const QPageLayout &page, int lineSpacingPercent) const
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    declareNamespaces(xml);
    xml.writeStartElement(kOffice, QStringLiteral("document-styles"));
    xml.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    writeFontFaces(xml);

    xml.writeStartElement(kOffice, QStringLiteral("styles"));
    // Tab stops every so often, as in the view; no spacing of LibreOffice's own.
    xml.writeStartElement(kStyle, QStringLiteral("default-style"));
    xml.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("paragraph"));
    xml.writeEmptyElement(kStyle, QStringLiteral("paragraph-properties"));
    xml.writeAttribute(kStyle, QStringLiteral("tab-stop-distance"),
                       points(pt(m_document.defaultTextOption().tabStopDistance())));
    xml.writeEndElement();
    xml.writeStartElement(kStyle, QStringLiteral("style"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("Standard"));
    xml.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("paragraph"));
    xml.writeEmptyElement(kStyle, QStringLiteral("paragraph-properties"));
    xml.writeAttribute(kFo, QStringLiteral("margin-top"), points(0));
    xml.writeAttribute(kFo, QStringLiteral("margin-bottom"), points(0));
    if (lineSpacingPercent != 100)
        xml.writeAttribute(kFo, QStringLiteral("line-height"), QString::number(lineSpacingPercent) + u'%');
    xml.writeEndElement();
    xml.writeEndElement(); // styles

    const QRectF paper = page.fullRect(QPageLayout::Millimeter);
    const QMarginsF margins = page.margins(QPageLayout::Millimeter);
    xml.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    xml.writeStartElement(kStyle, QStringLiteral("page-layout"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("pm1"));
    xml.writeEmptyElement(kStyle, QStringLiteral("page-layout-properties"));
    xml.writeAttribute(kFo, QStringLiteral("page-width"), millimetres(paper.width()));
    xml.writeAttribute(kFo, QStringLiteral("page-height"), millimetres(paper.height()));
    xml.writeAttribute(kStyle, QStringLiteral("print-orientation"),
                       page.orientation() == QPageLayout::Landscape ? QStringLiteral("landscape")
                                                                    : QStringLiteral("portrait"));
    xml.writeAttribute(kFo, QStringLiteral("margin-top"), millimetres(margins.top()));
    xml.writeAttribute(kFo, QStringLiteral("margin-bottom"), millimetres(margins.bottom()));
    xml.writeAttribute(kFo, QStringLiteral("margin-left"), millimetres(margins.left()));
    xml.writeAttribute(kFo, QStringLiteral("margin-right"), millimetres(margins.right()));
    xml.writeEndElement();
    xml.writeEndElement(); // automatic-styles

    xml.writeStartElement(kOffice, QStringLiteral("master-styles"));
    xml.writeEmptyElement(kStyle, QStringLiteral("master-page"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("Standard"));
    xml.writeAttribute(kStyle, QStringLiteral("page-layout-name"), QStringLiteral("pm1"));
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray meta(const QString &title, const QString &generator)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(kOffice, QStringLiteral("office"));
    xml.writeNamespace(kMeta, QStringLiteral("meta"));
    xml.writeNamespace(kDc, QStringLiteral("dc"));
    xml.writeStartElement(kOffice, QStringLiteral("document-meta"));
    xml.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeStartElement(kOffice, QStringLiteral("meta"));
    xml.writeTextElement(kMeta, QStringLiteral("generator"), generator);
    xml.writeTextElement(kDc, QStringLiteral("title"), title);
    xml.writeTextElement(kDc, QStringLiteral("language"), QStringLiteral("fr-FR"));
    xml.writeEndDocument();
    return out;
}

QByteArray manifest()
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(kManifest, QStringLiteral("manifest"));
    xml.writeStartElement(kManifest, QStringLiteral("manifest"));
    xml.writeAttribute(kManifest, QStringLiteral("version"), QStringLiteral("1.2"));
    auto entry = [&xml](const QString &path, const QString &type) {
        xml.writeEmptyElement(kManifest, QStringLiteral("file-entry"));
        xml.writeAttribute(kManifest, QStringLiteral("full-path"), path);
        if (path == QLatin1String("/"))
            xml.writeAttribute(kManifest, QStringLiteral("version"), QStringLiteral("1.2"));
        xml.writeAttribute(kManifest, QStringLiteral("media-type"), type);
    };
    entry(QStringLiteral("/"), kMimeType);
    for (const char *file : {"content.xml", "styles.xml", "meta.xml"})
        entry(QString::fromLatin1(file), QStringLiteral("text/xml"));
    xml.writeEndDocument();
    return out;
}

} // namespace

QByteArray OdtBytes(const QTextDocument &document, qreal dpi, const QString &title, const QString &generator,
                    const QPageLayout &page, int lineSpacingPercent)
{
    OdtBuilder builder(document, dpi);
    const QByteArray content = builder.content();
    ZipArchive zip;
    zip.addStored(QStringLiteral("mimetype"), kMimeType.toLatin1());
    zip.addDeflated(QStringLiteral("content.xml"), content);
    zip.addDeflated(QStringLiteral("styles.xml"), builder.styles(page, lineSpacingPercent));
    zip.addDeflated(QStringLiteral("meta.xml"), meta(title, generator));
    zip.addDeflated(QStringLiteral("META-INF/manifest.xml"), manifest());
    return zip.finish();
}

} // namespace oxeln
