#include "QtFormats.h"

#include "AppError.h"
#include "MarkupToRtf.h"
#include "Printing.h"
#include "RtfCodePage.h"
#include "RtfReader.h"
#include "ViewDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>

#include <cstdio>

namespace oxeln::compose {

namespace {

// What a rich text view of the window would hold: its document read from
// the document's RTF, at the screen's resolution.
qreal viewDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

std::unique_ptr<QTextDocument> loadDocument(const std::string &markup)
{
    auto document = NewViewDocument(ViewFont(), viewDpi());
    const std::string rtf = MarkupToRtf(markup);
    RtfReader::read(QByteArray::fromRawData(rtf.data(), qsizetype(rtf.size())), document.get(), viewDpi());
    return document;
}

bool writePdf(const std::string &path, const std::string &markup)
{
    const auto document = loadDocument(markup);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QFile::decodeName(path.c_str()));
    printer.setPageSize(QPageSize(QPageSize::A4));
    try {
        PrintDocument(printer, *document, viewDpi(), QFileInfo(printer.outputFileName()).completeBaseName());
    } catch (const AppError &) {
        return false;
    }
    return true;
}

bool writeText(const std::string &path, const std::string &markup)
{
    const QByteArray bytes = cp1252::encode(ContentText(*loadDocument(markup)));
    // Unbuffered, so that a short write shows in write()'s result.
    QFile file(QFile::decodeName(path.c_str()));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
        && file.write(bytes) == bytes.size();
}

} // namespace

std::vector<OutputFormat> qtFormats()
{
    return {
        {"pdf", "PDF A4, mis en pages comme \xC3\xA0 l'impression", writePdf},
        {"txt", "texte brut des vues (Windows-1252)", writeText},
    };
}

void prepareHeadlessQt()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(message));
    });
}

} // namespace oxeln::compose
