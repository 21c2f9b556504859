#include "mainwindow.h"

#include <QApplication>

#ifdef VORN_WALKTHROUGH
#include "walkthrough.h"
#endif

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // Wayland takes the window's icon and name from the desktop entry of this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORN_APP_ID));
    MainWindow window;
#ifdef VORN_WALKTHROUGH
    Walkthrough walkthrough(&window);
    if (!walkthrough.configure(QApplication::arguments()))
    {
        return 2;
    }
#endif
    window.show();
    return QApplication::exec();
}
