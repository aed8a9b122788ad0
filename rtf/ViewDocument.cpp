#include "ViewDocument.h"

#include "AppError.h"
#include "RtfCodePage.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QFileInfo>
#include <QPageSize>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>

#include <algorithm>

namespace oxeln {

namespace {

constexpr int kDefaultTabTwips = 2880; // until an RTF document names its own

// Characters that ContentText() leaves out.
bool outOfContentText(QChar c)
{
    return c == QChar::ObjectReplacementCharacter || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

} // namespace

QFont ViewFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(11);
    return font;
}

std::unique_ptr<QTextDocument> NewViewDocument(const QFont &font, qreal dpi)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(kDefaultTabTwips * dpi / 1440.0);
    document->setDefaultTextOption(option);
    return document;
}

std::unique_ptr<QTextDocument> ReadViewDocument(const QByteArray &rtf, qreal dpi)
{
    auto document = NewViewDocument(ViewFont(), dpi);
    RtfReader::read(rtf, document.get(), dpi);
    return document;
}

QString ContentText(const QTextDocument &document)
{
    const QString text = document.toRawText();
    QString out;
    out.reserve(text.size() + document.blockCount());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            out += QLatin1String("\r\n");
            break;
        case QChar::ObjectReplacementCharacter:
        case 0xFDD0: // frame marks of pasted tables
        case 0xFDD1:
            break;
        default:
            out += c;
        }
    }
    return out;
}

int ContentLength(const QTextDocument &document)
{
    // ContentText().size(), counted without building it.
    const QString text = document.toRawText();
    qsizetype length = text.size();
    for (const QChar c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            ++length;
            break;
        case QChar::ObjectReplacementCharacter:
        case 0xFDD0:
        case 0xFDD1:
            --length;
            break;
        default:
            break;
        }
    }
    return int(length);
}

bool HasContent(const QTextDocument &document)
{
    // Any character that ContentText() keeps: for a worksheet, the first
    // paragraph's text or its break.
    const QTextBlock last = document.lastBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !outOfContentText(c); }))
            return true;
        if (block != last && !outOfContentText(document.characterAt(block.position() + block.length() - 1)))
            return true;
    }
    return false;
}

bool ContentLengthExceeds(const QTextDocument &document, int position)
{
    // ContentLength is the end position plus one per paragraph break and
    // line separator, minus the embedded objects and frame marks. Without
    // frames and objects (characters that only come with their formats),
    // nothing counts less than its position: every position before the end
    // is below it.
    const int end = document.characterCount() - 1;
    if (position < end && document.rootFrame()->childFrames().isEmpty()) {
        const QList<QTextFormat> formats = document.allFormats();
        if (std::none_of(formats.cbegin(), formats.cend(),
                         [](const QTextFormat &format) { return format.objectType() != QTextFormat::NoObject; }))
            return true;
    }
    return ContentLength(document) > position;
}

QPageLayout SavedPageLayout()
{
    const QPageSize a4(QPageSize::A4);
    const qreal side = (a4.size(QPageSize::Millimeter).width() - kSavedLineWidthMm) / 2;
    return QPageLayout(a4, QPageLayout::Portrait, QMarginsF(side, 10, side, 10), QPageLayout::Millimeter);
}

QByteArray DocumentFileBytes(const QString &path, const QTextDocument &document, qreal dpi)
{
    const bool plain = QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
    if (plain)
        return cp1252::encode(ContentText(document));
    return RtfWriter::write(&document, dpi, RtfWriter::Page{SavedPageLayout(), kSavedLineSpacingPercent});
}

void WriteDocumentFile(const QString &path, const QTextDocument &document, qreal dpi)
{
    WriteFileBytes(path, DocumentFileBytes(path, document, dpi));
}

void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    // Written beside the target and renamed over it at the end, so a failed
    // write leaves any earlier file as it was. Unbuffered: a buffered write
    // that fails only when flushed goes unnoticed by commit(), which would
    // then put a truncated file in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw AppError(QStringLiteral("Impossible de créer le fichier %1").arg(path));
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError || !file.commit())
        throw AppError(QStringLiteral("Erreur à l'enregistrement du flux"));
}

} // namespace oxeln
