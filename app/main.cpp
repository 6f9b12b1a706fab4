#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // On a screen scaled to 200 % the window is drawn at twice the pixels, and the
    // images come from their "@2x" files instead of being blown up.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication application(argc, argv);
    MainWindow window;
    window.init();
    window.show();
    return application.exec();
}
