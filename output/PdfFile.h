#pragma once

#include <QByteArray>
#include <QColor>
#include <QPageLayout>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace oxeln {

class PdfFont;

// A PDF file of text pages, written as they come: each page's content
// compressed as soon as it is complete, the fonts (subsets of the glyphs
// drawn) at the end. Pages are drawn in pixels of the given resolution
// from the top left of the page layout's printable area, as the toolkit's
// PDF engine places them, and each glyph run is one text string of a byte
// a glyph: glyphs that follow one another at their own width need no
// position of their own.
class PdfFile
{
public:
    struct Options
    {
        QPageLayout pageLayout;
        int resolution = 1200;
        QString title;
        QString creator;
        bool grayscale = false;
        int compression = 3; // zlib level of the pages' content
    };

    explicit PdfFile(const Options &options);
    ~PdfFile();
    PdfFile(const PdfFile &) = delete;
    PdfFile &operator=(const PdfFile &) = delete;

    // A page whose drawing is in its own coordinates: device = scale * (x,
    // y - top), clipped to clip (in those coordinates).
    void beginPage(qreal scale, qreal top, const QRectF &clip);
    void fill(const QRectF &rect, const QColor &color);
    // count glyphs of font, the first at x[0], along baseline.
    void glyphs(const QRawFont &font, const QColor &color, qreal baseline, const quint32 *glyphs, const qreal *x,
                std::size_t count);
    void endPage();

    // The whole file; nothing when a font cannot be embedded.
    std::optional<QByteArray> finish();

private:
    int newObject();
    void writeObject(int number, const QByteArray &body);
    void writeStream(int number, const QByteArray &dictionary, const QByteArray &data, int level);
    void setColor(const QColor &color);
    int fontFor(const QRawFont &font, quint32 glyph);

    Options m_options;
    QByteArray m_out;
    std::vector<qsizetype> m_offsets; // by object number; 0 for none yet
    std::vector<int> m_pages;         // page objects
    std::string m_content;            // of the page being drawn
    QColor m_color;                   // the content's fill colour
    std::vector<std::unique_ptr<PdfFont>> m_fonts;
    std::map<QString, std::vector<int>> m_fontsByFace; // a face's fonts, 256 glyphs each
};

} // namespace oxeln
