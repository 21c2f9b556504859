#pragma once

// Drives the updater window against the in-process virtual controller as a
// user would: wait for a page, click UPDATE, read the controller's flash.
#include "mainwindow.h"
#include "sim/vornsim_control.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace windowtest {

// Short enough that a whole update takes a fraction of a second; the
// controller answers at once (no device timing).
constexpr int kFastTickMs = 50;
constexpr int kFastTimeoutMs = 400;
constexpr int kStepWaitMs = 15000;

using Variables = simtest::SimEnvironment::Variables;
using simtest::configureSim;

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool waitFor(const std::function<bool()> &condition, int timeoutMs = kStepWaitMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

inline QStackedWidget *pagesOf(const MainWindow &window)
{
    return window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
}

inline QString labelText(const MainWindow &window, const char *name)
{
    return window.findChild<QLabel *>(QLatin1String(name))->text();
}

//! A test in a directory of its own that is the current one; the window
//! member goes before the directory is removed.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
        flash = dir.filePath("flash.bin");
    }

    //! A shown window with the real timing.
    void open(Variables variables)
    {
        configureSim(variables);
        window = std::make_unique<MainWindow>();
        window->show();
    }

    //! A window with the short timing, not shown: painting a hundred progress
    //! frames would cost more than the whole device exchange.
    void openFast(Variables variables)
    {
        configureSim(variables);
        window = std::make_unique<MainWindow>();
        window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    }

    int page() const { return pagesOf(*window)->currentIndex(); }
    bool waitForPage(int index, int timeoutMs = kStepWaitMs)
    {
        return waitFor([&] { return page() == index; }, timeoutMs);
    }
    bool noticeOpen() const { return window->notice() && window->notice()->isVisible(); }

    //! Waits until the update is offered, then clicks the update button.
    void startUpdate()
    {
        ASSERT_TRUE(waitForPage(2)) << "page " << page();
        window->on_pushButton_clicked();
        ASSERT_TRUE(waitForPage(3)) << "page " << page();
    }

    //! The controller's flash begins with the variant's embedded image.
    bool flashHolds(const char *variant) const
    {
        const QByteArray image =
            readFile(QStringLiteral(":/binaries/vorn_tarsel_v_0.5.20_%1.bin").arg(QLatin1String(variant)));
        return !image.isEmpty() && readFile(flash).left(image.size()) == image;
    }

    QTemporaryDir dir;
    QString flash;
    std::unique_ptr<MainWindow> window;
};

} // namespace windowtest
