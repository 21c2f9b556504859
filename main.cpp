#include "console/consolerun.h"
#include "mainwindow.h"

#include "window/walkthrough.h"

#include <QApplication>

#include <algorithm>
#include <cstring>

int main(int argc, char **argv)
{
    // The console updater starts before any GUI application exists, so no
    // display is needed.
    if (std::any_of(argv + 1, argv + argc, [](const char *argument) { return std::strcmp(argument, "--cli") == 0; }))
    {
        return runConsole(argc, argv);
    }
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
