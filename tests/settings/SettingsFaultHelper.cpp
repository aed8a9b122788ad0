// Saves the settings over and over with changing values until it is killed.
// Iteration n writes "<name> n" into the three titles and n % 1001 into the
// two copy counts. It starts again with the iteration that the file's first
// title holds, so that a save cut short is completed first.

#include "TestWindow.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s settings-file\n", argv[0]);
        return 2;
    }

    QStringList log;
    oxeln::test::TestWindow window(QString::fromLocal8Bit(argv[1]), &log);
    window.show();
    qint64 n = std::max<qint64>(1, window.ETitre1->text().section(u' ', -1).toLongLong());

    bool first = true;
    for (;; ++n) {
        window.ETitre1->setText(QStringLiteral("Titre\u00e9 %1").arg(n));
        window.Etitre2->setText(QStringLiteral("Ligne2 %1").arg(n));
        window.Etitre3->setText(QStringLiteral("Ligne3 %1").arg(n));
        window.spCorriges->setValue(int(n % 1001));
        window.spSujets->setValue(int(n % 1001));
        window.store->SaveSettings();
        if (first) {
            std::printf("ready\n");
            std::fflush(stdout);
            first = false;
        }
    }
}
