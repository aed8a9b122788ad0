// oxeln-compose: a worksheet and its answer key from the command line.
#include "Composer.h"
#include "QtFormats.h"

#include <csignal>
#include <iostream>

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Past a file size limit (ulimit -f) a write fails with EFBIG and is
    // reported, instead of this signal ending the program half way.
    std::signal(SIGXFSZ, SIG_IGN);
    oxeln::compose::prepareHeadlessQt();
    oxeln::compose::QtApplication application(argv[0]);
    std::vector<oxeln::compose::OutputFormat> formats = oxeln::compose::standardFormats();
    for (oxeln::compose::OutputFormat &format : oxeln::compose::qtFormats(application))
        formats.push_back(std::move(format));
    return oxeln::compose::runComposer(args, std::cout, std::cerr, formats);
}
