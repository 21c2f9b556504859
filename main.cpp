#include "mainwindow.h"

#include "window/walkthrough.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // Wayland takes the window's icon and name from the desktop entry of this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORN_APP_ID));
    MainWindow window;
    // Only with "--walkthrough DIR": an unattended update for scripted use.
    Walkthrough walkthrough(&window);
    if (!walkthrough.configure(QApplication::arguments()))
    {
        return 2;
    }
    window.show();
    return QApplication::exec();
}
