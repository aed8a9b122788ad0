// oxeln-compose: a worksheet and its answer key from the command line.
#include "Composer.h"

#include <iostream>

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return oxeln::compose::runComposer(args, std::cout, std::cerr, oxeln::compose::standardFormats());
}
