// The window's form and proportions, the version texts and the rules that
// turn single log texts into pages and flags. No device run is awaited here.
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "vornprogressbar.h"
#include "workerthread.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>

#include <algorithm>
#include <iterator>

namespace {

TEST(WindowGeometry, HalfTheScreenHeightWithRectanglesTruncatedOneByOne)
{
    EXPECT_EQ(MainWindow::windowSizeForScreen(QSize(1920, 1080)), QSize(628, 540));
    EXPECT_EQ(MainWindow::windowSizeForScreen(QSize(1920, 1081)).height(), 540) << "integer halving drops the remainder";
    EXPECT_EQ(MainWindow::windowSizeForScreen(QSize(3840, 2160)), QSize(1256, 1080));

    EXPECT_EQ(MainWindow::scaledRect(QSize(628, 540), 0.25, 0.39, 0.58, 0.045), QRect(157, 210, 364, 24));
    // About, not exactly, twice as large on twice the window.
    EXPECT_EQ(MainWindow::scaledRect(QSize(1256, 1080), 0.25, 0.39, 0.58, 0.045), QRect(314, 421, 728, 48));
}

TEST(Hex2Version, JoinsFieldPairsHighFirstSwapsOnlyAboveFiftyAndNeverFails)
{
    EXPECT_EQ(MainWindow::hex2version("14 00 05 00 00 00"), "0.5.20");
    EXPECT_EQ(MainWindow::hex2version("51 00 01 00 02 00"), "2.1.81");
    EXPECT_EQ(MainWindow::hex2version("0a 01 FF 00 02 00"), "2.266.255") << "either case; 0x010A = 266";
    EXPECT_EQ(MainWindow::hex2version("01 00 51 00 02 00"), "2.1.81");
    EXPECT_EQ(MainWindow::hex2version("00 00 32 00 01 00"), "1.50.0") << "50 itself does not swap";

    EXPECT_EQ(MainWindow::hex2version(""), "0.0.0");
    EXPECT_EQ(MainWindow::hex2version("14 00 05"), "0.5.20") << "missing fields count as absent";
    EXPECT_EQ(MainWindow::hex2version("zz 00 05 00 00 00"), "0.5.0") << "a pair that does not convert gives 0";
    EXPECT_EQ(MainWindow::hex2version(" 14 00 05 00 00 00"), "0.20.1280") << "an empty field is kept";
    EXPECT_EQ(MainWindow::hex2version("123 456 05 00 00 00"), "0.5.0") << "more than 16 bits gives 0";
}

//! A window whose polling is stopped, so that only the texts a test feeds
//! move the sequence.
class ParseLogsTest : public ::testing::Test
{
protected:
    ParseLogsTest() { window.killTimer(window.timerId); }

    int page() const { return window.ui->stackedWidget->currentIndex(); }

    MainWindow window;
};

TEST_F(ParseLogsTest, TheFormIsStyledToTheScreenAndStartsOnTheConnectPage)
{
    const QSize expected = MainWindow::windowSizeForScreen(QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_EQ(window.minimumSize(), expected);
    EXPECT_EQ(window.maximumSize(), expected) << "the user cannot resize the window";
    EXPECT_EQ(window.ui->lblTitle->geometry(), MainWindow::scaledRect(expected, 0.25, 0.39, 0.58, 0.045));
    EXPECT_EQ(window.ui->lblTitle->font().pixelSize(), qMax(1, window.ui->lblTitle->height()));
    EXPECT_EQ(window.pb->parentWidget(), window.ui->pageUpdating);
    EXPECT_EQ(window.pb->geometry(), MainWindow::scaledRect(expected, 0.243, 0.729, 0.516, 0.028));
    EXPECT_EQ(window.windowTitle(), "Kelvo Updater");
    EXPECT_TRUE(window.ui->lblNewVersion->text().isEmpty());
    EXPECT_EQ(window.ui->stackedWidget->widget(4)->objectName(), "pageFinished");
    EXPECT_EQ(page(), 0);
}

TEST_F(ParseLogsTest, TheReadVersionPicksTheSamePageOrOffersTheUpdateForAnyOther)
{
    window.lstMsg = MainWindow::GetVersion;
    window.ParseLogs("Inject command 'read-memory'\n");
    EXPECT_EQ(page(), 0) << "nothing found yet";

    window.ParseLogs("Version: 14 00 05 00 00 00 ");
    EXPECT_EQ(window.ui->lblNewVersion->text(), "0.5.20");
    EXPECT_EQ(window.ui->lblSameVersion->text(), "0.5.20");
    EXPECT_EQ(page(), 1);
    window.ParseLogs("Version: 13 00 05 00 00 00 ");
    EXPECT_EQ(page(), 1) << "a version page is only chosen from the connect page";

    window.ParseLogs("Error: gone");
    EXPECT_EQ(page(), 0);
    window.ParseLogs("Version: 00 00 00 00 01 00 ");
    EXPECT_EQ(window.ui->lblCurrentVersion->text(), "1.0.0");
    EXPECT_EQ(page(), 2) << "a newer version offers the update too";
}

TEST_F(ParseLogsTest, TheLastTextOfTheEraseDecides)
{
    window.lstMsg = MainWindow::FlashErase;
    window.ParseLogs("Response status = 0 (0x0) Success.\n");
    EXPECT_EQ(window.erased, 1);
    window.ParseLogs("Response status = 10000 (0x2710) kStatus_UnknownCommand\n");
    EXPECT_EQ(window.erased, 0);
}

TEST_F(ParseLogsTest, EachNewPercentageIsShownOnceAndOnlyHundredFinishesTheWrite)
{
    QSignalSpy shown(&window, &MainWindow::progressShown);
    window.updaterVersion = "0.5.20";
    window.lstMsg = MainWindow::SendBinary;
    for (const char *text : { "\r(1/1) 0%", "\r(1/1) 5%", "\r(1/1) 5%", " Completed!\n", "\r(1/1)99%", "%", "x%",
                              "load 250%", "(-5%" })
    {
        window.ParseLogs(text);
    }
    EXPECT_EQ(window.flashed, 0);
    EXPECT_EQ(window.ui->lblFinishedVersion->text(), "2.05.5") << "still the placeholder";

    window.ParseLogs("\r(1/1)100%");
    QList<int> percents;
    for (const QList<QVariant> &call : shown)
    {
        percents << call.at(0).toInt();
    }
    EXPECT_EQ(percents, (QList<int>{ 5, 99, 100 })) << "0 equals the start value; repeats and non-progress dropped";
    EXPECT_EQ(window.flashed, 1);
    EXPECT_EQ(window.ui->lblFinishedVersion->text(), "0.5.20");
}

TEST_F(ParseLogsTest, AStrayUpdateClickOffTheUpdatePageDoesNothing)
{
    window.on_pushButton_clicked();
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(window.lstMsg, MainWindow::None);
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
