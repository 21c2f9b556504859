#include "console/consolerun.h"
#include "mainwindow.h"

#include "window/commandline.h"
#include "window/localization.h"
#include "window/quitsignals.h"
#include "window/singleinstance.h"
#include "window/walkthrough.h"

#include <QApplication>
#include <QTextStream>

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
    // Sizes in device-independent pixels at the screen's scale, fractional
    // scales kept as they are; the window prepares its pictures for it.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QCoreApplication::setApplicationName(QStringLiteral("kelvo-updater"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORN_UPDATER_VERSION));
    commandline::Decision decision;
    {
        // Options first, with no window system: --help and --version need no display.
        QCoreApplication console(argc, argv);
        localization::install(console);
        QTextStream out(stdout);
        QTextStream err(stderr);
        decision = commandline::read(QCoreApplication::arguments(), out, err);
        if (!decision.openWindow)
        {
            return decision.exitCode;
        }
    }
    QApplication application(argc, argv);
    // Before the window is built: its texts are translated as they are set.
    localization::install(application);
    // Wayland takes the window's icon and name from the desktop entry of this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORN_APP_ID));
    // One window per session; a walkthrough, or "--new-instance", runs beside it.
    SingleInstance instance;
    if (decision.walkthroughDir.isEmpty() && !decision.newInstance && !instance.claim())
    {
        return 0;
    }
    MainWindow window;
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &MainWindow::bringToFront);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &window, [&window]() { window.closeWhenIdle(true); });
    // Only with "--walkthrough DIR": an unattended update for scripted use.
    Walkthrough walkthrough(&window);
    if (!walkthrough.configure(decision.walkthroughDir, decision.walkthroughLimit, decision.walkthroughHold))
    {
        return 2;
    }
    window.show();
    return QApplication::exec();
}
