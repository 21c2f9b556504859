#include "mainwindow.h"

#include "window/walkthrough.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Sizes in device-independent pixels at the screen's scale, fractional
    // scales kept as they are; the window prepares its pictures for it.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
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
