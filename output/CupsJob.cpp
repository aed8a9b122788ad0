#include "CupsJob.h"

#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>

#include <cups/cups.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace oxeln {

namespace {

// The print engine's CUPS options: a key of its that is not public API
// (see Printing.cpp).
constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

bool SubmitPdfToCups(QPrinter &printer, const QString &jobName, const QByteArray &pdf)
{
    char file[1024];
    const int fd = cupsTempFd(file, sizeof file);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, pdf);
    ::close(fd);
    if (!written) {
        ::unlink(file);
        return false;
    }

    const QPageLayout layout = printer.pageLayout();
    std::vector<std::pair<QByteArray, QByteArray>> options = {{"media", layout.pageSize().key().toLocal8Bit()}};
    const int copies = printer.copyCount();
    if (copies > 1)
        options.emplace_back("copies", QByteArray::number(copies));
    if (copies > 1 && printer.collateCopies())
        options.emplace_back("Collate", "True");
    switch (printer.duplex()) {
    case QPrinter::DuplexNone: options.emplace_back("sides", "one-sided"); break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", layout.orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                                     : "two-sided-short-edge");
        break;
    case QPrinter::DuplexLongSide: options.emplace_back("sides", "two-sided-long-edge"); break;
    case QPrinter::DuplexShortSide: options.emplace_back("sides", "two-sided-short-edge"); break;
    }
    if (layout.orientation() == QPageLayout::Landscape)
        options.emplace_back("landscape", "");
    if (QPrintEngine *engine = printer.printEngine()) {
        const QStringList own = engine->property(CupsOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < own.size(); i += 2)
            options.emplace_back(own[i].toLocal8Bit(), own[i + 1].toLocal8Bit());
    }
    std::vector<cups_option_t> cupsOptions;
    for (auto &[name, value] : options)
        cupsOptions.push_back({name.data(), value.data()});

    // The queue's own name, without an instance after "/".
    const QByteArray queue = printer.printerName().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    cupsPrintFile(queue.constData(), file, jobName.toLocal8Bit().constData(), int(cupsOptions.size()),
                  cupsOptions.data());
    ::unlink(file);
    return true;
}

} // namespace oxeln
