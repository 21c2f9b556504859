// The window as it is built: its proportions, its first page, and what a
// click off the update page does. No device run is awaited here.
#include "window_driver.h"
#include "windowstyle.h"
#include "workerthread.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <iterator>

namespace {

using namespace windowtest;

TEST(WindowGeometry, HalfTheScreenHeightWithRectanglesTruncatedOneByOne)
{
    EXPECT_EQ(windowstyle::windowSizeForScreen(QSize(1920, 1080)), QSize(628, 540));
    EXPECT_EQ(windowstyle::windowSizeForScreen(QSize(1920, 1081)).height(), 540) << "integer halving";
    EXPECT_EQ(windowstyle::windowSizeForScreen(QSize(3840, 2160)), QSize(1256, 1080));
    EXPECT_EQ(windowstyle::scaledRect(QSize(628, 540), 0.25, 0.39, 0.58, 0.045), QRect(157, 210, 364, 24));
    // About, not exactly, twice as large on twice the window.
    EXPECT_EQ(windowstyle::scaledRect(QSize(1256, 1080), 0.25, 0.39, 0.58, 0.045), QRect(314, 421, 728, 48));
}

TEST(MainWindowForm, IsFixedToTheScreenStartsOnTheConnectPageAndIgnoresAStrayUpdateClick)
{
    // Polling stopped: only the click could start anything.
    MainWindow window;
    window.setDeviceTiming(3600 * 1000, 0);
    const QSize expected = windowstyle::windowSizeForScreen(QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_EQ(window.minimumSize(), expected);
    EXPECT_EQ(window.maximumSize(), expected) << "the user cannot resize the window";
    EXPECT_EQ(window.windowTitle(), "Kelvo Updater");
    EXPECT_TRUE(labelText(window, "lblNewVersion").isEmpty()) << "the placeholder is cleared";
    const QLabel *title = window.findChild<QLabel *>("lblTitle");
    EXPECT_EQ(title->font().pixelSize(), title->height()) << "text follows its label's height";
    EXPECT_EQ(pagesOf(window)->widget(4)->objectName(), "pageFinished");
    EXPECT_EQ(pageOf(window), 0);

    window.on_pushButton_clicked();
    EXPECT_EQ(pageOf(window), 0);
    EXPECT_TRUE(window.findChildren<WorkerThread *>().isEmpty()) << "no step started";
    EXPECT_TRUE(window.updateFilePath().isEmpty()) << "no image prepared";
}

TEST(WorkerThreadArgs, KeepsAtMostThirtyPointersAndNothingForNegativeCounts)
{
    WorkerThread worker(nullptr);
    char text[] = "x";
    char *many[40];
    std::fill(std::begin(many), std::end(many), static_cast<char *>(text));
    worker.SetArgs(40, many);
    EXPECT_EQ(worker.argsLen, WorkerThread::kMaxArgs);
    worker.SetArgs(-3, many);
    EXPECT_EQ(worker.argsLen, 0);
}

} // namespace
