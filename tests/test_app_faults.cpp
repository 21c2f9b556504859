// Every fault of the virtual controller at every step of an update, through
// the whole window sequence: the window settles on a page or a message within
// the packet time-out and two ticks, shows the finished page only with the
// image in flash, and a following clean update restores the controller.
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

using namespace windowtest;

const char kVariant[] = "smoked";
// Beyond the packet time-out, so a delayed answer counts as a missing one.
const std::string kLate = std::to_string(kFastTimeoutMs + 300);
// The engine's own work in the faulty step (a whole image write), on top of
// the time-out and the two ticks.
const int kWorkMarginMs = 1000;
const int kLimitMs = 15000;

struct FaultGroup
{
    const char *name;
    MainWindow::LastMessage step;
    std::vector<std::string> faults;
};

void PrintTo(const FaultGroup &group, std::ostream *out)
{
    *out << group.name;
}

// The image is 458,764 bytes in 56-byte packets: the write's exchange is the
// command (report 1), its answer (2), data packets 3 to 8195 and the final
// answer (8196); 4099 is the middle packet.
const FaultGroup kGroups[] = {
    { "VersionReadLost",
      MainWindow::GetVersion,
      { "unplug:read-memory:2", "silent:read-memory", "status:read-memory:10000", "final-status:read-memory:10000",
        "abort:read-memory", "delay:read-memory:" + kLate } },
    { "VersionReadMalformed",
      MainWindow::GetVersion,
      { "report-id:read-memory:1", "long-length:read-memory:1", "short:read-memory:2", "wrong-tag:read-memory:1",
        "other-tag:read-memory:3" } },
    { "EraseLostOrRefused",
      MainWindow::FlashErase,
      { "unplug:flash-erase-region:1", "unplug:flash-erase-region:2", "silent:flash-erase-region",
        "status:flash-erase-region:105", "delay:flash-erase-region:" + kLate } },
    { "EraseMalformed",
      MainWindow::FlashErase,
      { "report-id:flash-erase-region:1", "long-length:flash-erase-region:1", "short:flash-erase-region:1",
        "wrong-tag:flash-erase-region:1", "other-tag:flash-erase-region:1" } },
    { "WriteCommandAndFirstPacket",
      MainWindow::SendBinary,
      { "unplug:write-memory:1", "unplug:write-memory:2", "unplug:write-memory:3", "silent:write-memory",
        "status:write-memory:10200", "abort:write-memory:0", "delay:write-memory:" + kLate } },
    { "WriteCommandAnswerMalformed",
      MainWindow::SendBinary,
      { "report-id:write-memory:1", "long-length:write-memory:1", "short:write-memory:1", "wrong-tag:write-memory:1",
        "other-tag:write-memory:1" } },
    { "WritePacketSize",
      MainWindow::SendBinary,
      { "packet-size:0", "packet-size:9000", "packet-size:none", "status:get-property:10300",
        "silent:get-property" } },
    { "WriteMiddleAndLastPacket",
      MainWindow::SendBinary,
      { "unplug:write-memory:4099", "unplug:write-memory:8195", "unplug:write-memory:8196", "abort:write-memory:4096",
        "abort:write-memory:8192" } },
    { "WriteFinalAnswer",
      MainWindow::SendBinary,
      { "final-status:write-memory:10210", "report-id:write-memory:2", "long-length:write-memory:2",
        "short:write-memory:2", "wrong-tag:write-memory:2", "other-tag:write-memory:2" } },
    { "ResetLostOrRefused",
      MainWindow::Reset,
      { "unplug:reset:1", "unplug:reset:2", "silent:reset", "status:reset:10000", "delay:reset:" + kLate } },
    { "ResetMalformed",
      MainWindow::Reset,
      { "report-id:reset:1", "long-length:reset:1", "short:reset:1", "wrong-tag:reset:1", "other-tag:reset:1" } },
};

class FaultMatrix : public ::testing::TestWithParam<FaultGroup>
{
protected:
    //! Watches every page change: the finished page with anything but the
    //! image in flash is a false "finished".
    void watch(MainWindow &window)
    {
        QObject::connect(window.ui->stackedWidget, &QStackedWidget::currentChanged, &window, [this](int index) {
            if (index == 4 && readFile(flash).left(image.size()) != image)
            {
                ++falseFinishes;
            }
        });
    }

    void runCase(const std::string &fault, MainWindow::LastMessage step);

    QTemporaryDir dir;
    QString flash;
    QByteArray image = embeddedImage(kVariant);
    int falseFinishes = 0;
};

void FaultMatrix::runCase(const std::string &fault, MainWindow::LastMessage step)
{
    SCOPED_TRACE(fault);
    flash = dir.filePath(QString::fromStdString("flash-" + fault).replace(':', '-'));
    configureSim({ { "VORN_SIM_VARIANT", kVariant }, { "VORN_SIM_FLASH", flash.toUtf8() },
                   { "VORN_SIM_FAULT", QByteArray::fromStdString(fault) } });
    std::unique_ptr<MainWindow> window = fastWindow();
    watch(*window);

    ASSERT_TRUE(waitFor([&] { return pageOf(*window) == 2; }, kLimitMs)) << "update not offered";
    window->on_pushButton_clicked();

    // Until the window settles: the finished page, a message, or polling again.
    QElapsedTimer sinceStep;
    bool settled = false;
    while (!settled && (!sinceStep.isValid() || sinceStep.elapsed() < kLimitMs))
    {
        if (!sinceStep.isValid() && (window->lstMsg == step || step == MainWindow::GetVersion))
        {
            sinceStep.start();
        }
        settled = pageOf(*window) == 4 || noticeOpen(*window) ||
                  (pageOf(*window) != 3 && window->lstMsg == MainWindow::GetVersion);
        if (!settled)
        {
            QTest::qWait(2);
        }
    }
    ASSERT_TRUE(settled) << "stuck on page " << pageOf(*window);
    EXPECT_LE(sinceStep.elapsed(), kFastTimeoutMs + 2 * kFastTickMs + kWorkMarginMs);
    if (pageOf(*window) != 4)
    {
        // Abandoned as after a lost controller, ready for a second update.
        EXPECT_EQ(window->erased, 0);
        EXPECT_EQ(window->flashed, 0);
        EXPECT_EQ(window->lastPercent, 0);
        EXPECT_NE(pageOf(*window), 3);
    }

    // A clean update follows in the same process.
    if (window->notice())
    {
        window->notice()->accept();
    }
    configureSim({ { "VORN_SIM_VARIANT", kVariant }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    if (pageOf(*window) == 4)
    {
        window = fastWindow();
        watch(*window);
    }
    ASSERT_TRUE(waitFor([&] { return pageOf(*window) == 1 || pageOf(*window) == 2; }, kLimitMs));
    if (pageOf(*window) == 1)
    {
        // The image is already in place: unplug, and plug in a controller
        // with old firmware.
        EXPECT_EQ(readFile(flash).left(image.size()), image);
        vornsim_set_variant("none");
        ASSERT_TRUE(waitFor([&] { return pageOf(*window) == 0; }, kLimitMs));
        ASSERT_TRUE(QFile::remove(flash));
        vornsim_reconfigure();
        ASSERT_TRUE(waitFor([&] { return pageOf(*window) == 2; }, kLimitMs));
    }
    window->on_pushButton_clicked();
    ASSERT_TRUE(waitFor([&] { return pageOf(*window) == 4; }, kLimitMs)) << "page " << pageOf(*window);
    EXPECT_EQ(readFile(flash).left(image.size()), image);
    EXPECT_EQ(falseFinishes, 0);
}

TEST_P(FaultMatrix, EndsOnAPageOrMessageNeverFalselyFinishesAndACleanUpdateFollows)
{
    ASSERT_TRUE(dir.isValid());
    for (const std::string &fault : GetParam().faults)
    {
        runCase(fault, GetParam().step);
        if (HasFatalFailure())
        {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FaultMatrix, ::testing::ValuesIn(kGroups),
                         [](const ::testing::TestParamInfo<FaultGroup> &info) { return info.param.name; });

} // namespace
