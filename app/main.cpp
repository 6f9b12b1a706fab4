#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // The form's geometry is fixed in pixels, while fonts follow the screen's DPI. Qt 6
    // always scales the window by the screen's factor (Windows' 150 %, 200 %); Qt 5 does
    // only when asked, and otherwise draws large text in a small fixed window that cuts
    // it off. Asking makes both draw the same window, icons included.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    // Qt 6's default; Qt 5 would round 150 % up to 200 % and the window would not fit
    // where Qt 6's does.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication application(argc, argv);
    MainWindow window;
    window.init();
    window.show();
    return application.exec();
}
