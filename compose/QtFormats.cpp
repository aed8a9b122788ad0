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
    const std::string rtf = MarkupToRtf(markup);
    return ReadViewDocument(QByteArray::fromRawData(rtf.data(), qsizetype(rtf.size())), viewDpi());
}

QString titleOf(Document which)
{
    return which == Document::Subject ? QStringLiteral("Sujet") : QStringLiteral("Corrigé");
}

std::optional<std::string> renderPdf(const std::string &markup, Document which)
{
    try {
        const std::string rtf = MarkupToRtf(markup);
        const QByteArray pdf =
            PdfBytesOfRtf(QByteArray::fromRawData(rtf.data(), qsizetype(rtf.size())), viewDpi(), titleOf(which));
        return std::string(pdf.constData(), std::size_t(pdf.size()));
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

QtApplication::QtApplication(char *programName) : m_argv{programName, nullptr} {}

QtApplication::~QtApplication() = default;

void QtApplication::ensure()
{
    if (!m_application && !QCoreApplication::instance())
        m_application = std::make_unique<QGuiApplication>(m_argc, m_argv);
}

std::vector<OutputFormat> qtFormats(QtApplication &application)
{
    const auto withApplication = [&application](std::optional<std::string> (*render)(const std::string &, Document)) {
        return [&application, render](const std::string &markup, Document which) {
            application.ensure();
            return render(markup, which);
        };
    };
    return {
        {"pdf", "PDF A4, marges de 10 mm, mis en pages comme \xC3\xA0 l'impression", withApplication(renderPdf),
         nullptr, "pdf"},
        {"odt", "OpenDocument (LibreOffice), polices et surlignage jaune compris", withApplication(renderOdt),
         nullptr, "odt"},
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
