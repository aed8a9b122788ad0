#include "Platform.h"
#include "ToolkitTranslation.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before anything needs a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("oxeln %s\n", OXELN_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage : oxeln [--version | --help]\n"
                    "Ouvre la fen\xC3\xAAtre d'Oxeln : fiches de calcul sur les entiers relatifs et leur corrig\xC3\xA9.\n"
                    "Sans fen\xC3\xAAtre, voir oxeln-compose --help. Manuel : man oxeln.\n");
        return 0;
    }

    oxeln::TuneMemoryAllocator();

    // Past a file size limit (ulimit -f) a write fails with EFBIG, reported
    // like any other failed write, instead of this signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);

    // Without a display the toolkit would abort with a cryptic message.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("oxeln : aucun affichage disponible (DISPLAY est vide). "
                   "Lancez-le sur un bureau, ou sous un écran virtuel : xvfb-run -a oxeln\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(OXELN_VERSION));
    // Ties the window to its menu entry (the Wayland app id, task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.oxeln.Oxeln"));
    oxeln::InstallToolkitTranslation(app);
    oxeln::Worksheet worksheet;
    TForm1 Form1(worksheet);
    Form1.show();
    return app.exec();
}
