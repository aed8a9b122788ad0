// The yardsticks of the start-up benchmark: a bare Qt window of the main
// window's size, nothing else, shown as soon as the application exists; with
// --texte, the same window with one line of text, which pays for what any
// window with text pays (the font configuration, the font database, one font
// engine) and so tells that share apart from the program's own.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char *argv[])
{
    const bool withText = argc > 1 && std::strcmp(argv[1], "--texte") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Oxeln (fen\u00eatre nue)"));
    window.resize(800, 600);
    if (withText) {
        auto *line = new QLabel(QStringLiteral("Calcul sur les entiers relatifs"), &window);
        line->adjustSize();
    }
    window.show();
    return app.exec();
}
