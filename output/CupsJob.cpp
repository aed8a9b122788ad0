#include "CupsJob.h"

#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>

#include <dlfcn.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace oxeln {

namespace {

// The print engine's CUPS options: a key of its that is not public API
// (see Printing.cpp).
constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The two calls of the CUPS library a job needs, found when first printing:
// linked in, the library and the twenty it needs would load at every
// start of the program. Its option type is the library's own, stable since
// its first version.
struct CupsOption
{
    char *name;
    char *value;
};
using TempFd = int (*)(char *filename, int length);
using PrintFile = int (*)(const char *printer, const char *filename, const char *title, int numOptions,
                          CupsOption *options);

struct Cups
{
    TempFd tempFd = nullptr;
    PrintFile printFile = nullptr;
};

const Cups &cups()
{
    static const Cups found = [] {
        Cups symbols;
        if (void *library = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL)) {
            symbols.tempFd = reinterpret_cast<TempFd>(::dlsym(library, "cupsTempFd"));
            symbols.printFile = reinterpret_cast<PrintFile>(::dlsym(library, "cupsPrintFile"));
        }
        return symbols;
    }();
    return found;
}

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

bool CanSubmitToCups()
{
    return cups().tempFd && cups().printFile;
}

bool SubmitPdfToCups(QPrinter &printer, const QString &jobName, const QByteArray &pdf)
{
    if (!CanSubmitToCups())
        return false;
    char file[1024];
    const int fd = cups().tempFd(file, sizeof file);
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
    std::vector<CupsOption> cupsOptions;
    for (auto &[name, value] : options)
        cupsOptions.push_back({name.data(), value.data()});

    // The queue's own name, without an instance after "/".
    const QByteArray queue = printer.printerName().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    cups().printFile(queue.constData(), file, jobName.toLocal8Bit().constData(), int(cupsOptions.size()),
                     cupsOptions.data());
    ::unlink(file);
    return true;
}

} // namespace oxeln
