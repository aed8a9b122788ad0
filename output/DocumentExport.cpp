#include "DocumentExport.h"

#include "AppError.h"
#include "FileCommit.h"
#include "OdtWriter.h"
#include "PdfExport.h"
#include "Printing.h"
#include "ViewDocument.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace oxeln {

FileFormat FileFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    auto is = [&suffix](const char *extension) {
        return suffix.compare(QLatin1String(extension), Qt::CaseInsensitive) == 0;
    };
    if (is("pdf"))
        return FileFormat::Pdf;
    if (is("odt"))
        return FileFormat::Odt;
    if (is("txt"))
        return FileFormat::Text;
    return FileFormat::Rtf;
}

QPageLayout ExportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

qreal ExportScale()
{
    return ExportPageLayout().paintRect(QPageLayout::Millimeter).width() / kExportLayoutWidthMm;
}

QString ProducerName()
{
    return QStringLiteral("Oxeln " OXELN_VERSION);
}

namespace {

PdfPages exportPages(const QString &title)
{
    PdfPages pages;
    pages.pageLayout = ExportPageLayout();
    pages.resolution = kExportDpi;
    pages.scale = ExportScale();
    pages.title = title;
    pages.creator = ProducerName();
    return pages;
}

} // namespace

QByteArray ToolkitPdfBytes(const QTextDocument &document, qreal sourceDpi, const QString &title)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kExportDpi);
        pdf.setPageLayout(ExportPageLayout());
        pdf.setCreator(ProducerName());
        ExportDocumentPages(pdf, document, sourceDpi, title, ExportScale());
    } // the file is complete once the writer is gone
    return buffer.data();
}

QByteArray PdfBytes(const QTextDocument &document, qreal sourceDpi, const QString &title)
{
    if (std::optional<QByteArray> bytes = FlowPdfBytes(document, sourceDpi, exportPages(title)))
        return *bytes;
    return ToolkitPdfBytes(document, sourceDpi, title);
}

QByteArray PdfBytesOfRtf(const QByteArray &rtf, qreal sourceDpi, const QString &title)
{
    if (std::optional<QByteArray> bytes = FlowPdfBytesOfRtf(rtf, sourceDpi, exportPages(title)))
        return *bytes;
    return ToolkitPdfBytes(*ReadViewDocument(rtf, sourceDpi), sourceDpi, title);
}

QByteArray OdtBytes(const QTextDocument &document, qreal sourceDpi, const QString &title)
{
    return OdtBytes(document, sourceDpi, title, ProducerName(), SavedPageLayout(), kSavedLineSpacingPercent);
}

QByteArray WorksheetFileBytes(const QString &path, const QTextDocument &document, qreal sourceDpi,
                              const QString &title)
{
    switch (FileFormatOf(path)) {
    case FileFormat::Pdf:
        return PdfBytes(document, sourceDpi, title);
    case FileFormat::Odt:
        return OdtBytes(document, sourceDpi, title);
    case FileFormat::Rtf:
    case FileFormat::Text:
        break;
    }
    return DocumentFileBytes(path, document, sourceDpi);
}

void WriteWorksheetFiles(const QList<WorksheetFile> &files)
{
    FileBatch batch;
    std::optional<CommitFailure> failure;
    for (const WorksheetFile &file : files) {
        const QByteArray bytes = file.bytes();
        failure = batch.add(QFile::encodeName(file.path).toStdString(),
                            std::string_view(bytes.constData(), size_t(bytes.size())));
        if (failure)
            break;
    }
    if (!failure)
        failure = batch.commit();
    if (failure)
        throw AppError(QString::fromUtf8(describeFailure(*failure)));
}

} // namespace oxeln
