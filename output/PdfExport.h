#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <functional>
#include <optional>
#include <QRect>

class QTextDocument;

namespace oxeln {

// How the pages of a PDF file are laid out: the page, the resolution the
// document is laid out at, and the scale it is drawn at between the
// margins (below 1: laid out on a page that much larger).
struct PdfPages
{
    QPageLayout pageLayout;
    int resolution = 1200;
    qreal scale = 1.0;
    QString title;
    QString creator;
    bool grayscale = false;
    // The page laid out in, in twips, when a device tells it; else the
    // printable area of the page layout at the resolution.
    QRect layoutTwips;
    // Run after each page; false ends the file there (with the pages made).
    std::function<bool()> afterPage;
};

// The document (a view's content; sourceDpi is the view's resolution) as a
// PDF file of the pages printing lays out, made by the page flow and our
// own PDF writer: nothing when the flow cannot draw the document (see
// PageFlow::draws) or embed one of its fonts, the toolkit's writer then
// being the one to use.
std::optional<QByteArray> FlowPdfBytes(const QTextDocument &document, qreal sourceDpi, const PdfPages &pages);

// The same for the document that a view reading rtf would hold, without
// that document being made.
std::optional<QByteArray> FlowPdfBytesOfRtf(const QByteArray &rtf, qreal sourceDpi, const PdfPages &pages);

} // namespace oxeln
