#include "UOxeln.h"
#include "Worksheet.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Without a display the toolkit would abort with a cryptic message.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("oxeln : aucun affichage disponible (DISPLAY est vide). "
                   "Lancez-le sur un bureau, ou sous un écran virtuel : xvfb-run -a oxeln\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    oxeln::Worksheet worksheet;
    TForm1 Form1(worksheet);

    // Opens centred on the screen unless the settings place it elsewhere.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), Form1.size());
        frame.moveCenter(screen->availableGeometry().center());
        Form1.move(frame.topLeft());
    }
    Form1.show();
    return app.exec();
}
