#include "mainwindow.h"

#include "window/quitsignals.h"
#include "window/singleinstance.h"
#include "window/walkthrough.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // Wayland takes the window's icon and name from the desktop entry of this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORN_APP_ID));
    const QStringList arguments = QApplication::arguments();
    // One window per session; a walkthrough, or "--new-instance", runs beside it.
    SingleInstance instance;
    if (!arguments.contains(QStringLiteral("--walkthrough")) && !arguments.contains(QStringLiteral("--new-instance")) &&
        !instance.claim())
    {
        return 0;
    }
    MainWindow window;
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &MainWindow::bringToFront);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &window, [&window]() { window.closeWhenIdle(true); });
    // Only with "--walkthrough DIR": an unattended update for scripted use.
    Walkthrough walkthrough(&window);
    if (!walkthrough.configure(arguments))
    {
        return 2;
    }
    window.show();
    return QApplication::exec();
}
