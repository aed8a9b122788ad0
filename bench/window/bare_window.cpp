// The yardstick of the start-up benchmark: a bare Qt window of the main
// window's size, nothing else, shown as soon as the application exists.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Oxeln (fen\u00eatre nue)"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
