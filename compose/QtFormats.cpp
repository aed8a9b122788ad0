#include "QtFormats.h"

#include "AppError.h"
#include "MarkupToRtf.h"
#include "Printing.h"
#include "RichTextView.h"
#include "RtfCodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>

#include <cstdio>

namespace oxeln::compose {

namespace {

void loadView(RichTextView &view, const std::string &markup)
{
    view.SetRtfText(QByteArray::fromStdString(MarkupToRtf(markup)));
}

bool writePdf(const std::string &path, const std::string &markup)
{
    RichTextView view;
    loadView(view, markup);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QFile::decodeName(path.c_str()));
    printer.setPageSize(QPageSize(QPageSize::A4));
    try {
        PrintDocument(printer, view, QFileInfo(printer.outputFileName()).completeBaseName());
    } catch (const AppError &) {
        return false;
    }
    return true;
}

bool writeText(const std::string &path, const std::string &markup)
{
    RichTextView view;
    loadView(view, markup);
    const QByteArray bytes = cp1252::encode(view.ContentText());
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
