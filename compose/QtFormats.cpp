#include "QtFormats.h"

#include "AppError.h"
#include "DocumentExport.h"
#include "MarkupToRtf.h"
#include "RtfCodePage.h"
#include "RtfReader.h"
#include "ViewDocument.h"

#include <QGuiApplication>
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

QString titleOf(Document which)
{
    return which == Document::Subject ? QStringLiteral("Sujet") : QStringLiteral("Corrigé");
}

std::optional<std::string> renderPdf(const std::string &markup, Document which)
{
    try {
        return PdfBytes(*loadDocument(markup), viewDpi(), titleOf(which)).toStdString();
    } catch (const AppError &) {
        return std::nullopt;
    }
}

std::optional<std::string> renderOdt(const std::string &markup, Document which)
{
    return OdtBytes(*loadDocument(markup), viewDpi(), titleOf(which)).toStdString();
}

std::optional<std::string> renderText(const std::string &markup, Document)
{
    // The text a view would hold, read without building its document.
    const std::string rtf = MarkupToRtf(markup);
    const QByteArray text =
        cp1252::encode(RtfReader::plainText(QByteArray::fromRawData(rtf.data(), qsizetype(rtf.size()))));
    return std::string(text.constData(), std::size_t(text.size()));
}

} // namespace

std::vector<OutputFormat> qtFormats()
{
    return {
        {"pdf", "PDF A4, marges de 10 mm, mis en pages comme \xC3\xA0 l'impression", renderPdf, nullptr, "pdf"},
        {"odt", "OpenDocument (LibreOffice), polices et surlignage jaune compris", renderOdt, nullptr, "odt"},
        {"txt", "texte brut des vues (Windows-1252)", renderText, nullptr, "txt"},
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
