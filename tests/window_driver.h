#pragma once

// Drives the updater window against the in-process virtual controller, as a
// user would: wait for a page, click UPDATE, read the controller's flash.
#include "mainwindow.h"
#include "sim/vornsim_control.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTest>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

namespace windowtest {

// Short enough that a whole update takes a fraction of a second; the
// controller answers at once (no device timing).
constexpr int kFastTickMs = 50;
constexpr int kFastTimeoutMs = 400;

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray embeddedImage(const char *variant)
{
    return readFile(QStringLiteral(":/binaries/vorn_tarsel_v_0.5.20_%1.bin").arg(QLatin1String(variant)));
}

//! Sets the controller's variables (all others unset) and rebuilds it.
inline void configureSim(std::initializer_list<std::pair<const char *, QByteArray>> variables)
{
    for (const char *name : { "VORN_SIM_VARIANT", "VORN_SIM_VERSION", "VORN_SIM_FLASH", "VORN_SIM_MAX_PACKET",
                              "VORN_SIM_TIMING", "VORN_SIM_FAULT", "VORN_SIM_TRACE", "VORN_HID_SOCKET" })
    {
        qunsetenv(name);
    }
    for (const auto &variable : variables)
    {
        qputenv(variable.first, variable.second);
    }
    vornsim_reconfigure();
}

inline bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

inline int pageOf(const MainWindow &window)
{
    return window.ui->stackedWidget->currentIndex();
}

inline bool noticeOpen(const MainWindow &window)
{
    return window.notice() && window.notice()->isVisible();
}

//! A window with the short timing. It is not shown: painting a hundred
//! progress frames would cost more than the whole device exchange.
inline std::unique_ptr<MainWindow> fastWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    return window;
}

} // namespace windowtest
