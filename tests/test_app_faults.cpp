// Every fault of the virtual controller at every step of an update, through the
// whole window sequence: the window settles on a page or a message within the
// packet time-out and two ticks of the faulty step, shows the finished page
// only with the image in flash, and a following clean update restores it.
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>

#include <string>
#include <vector>

namespace {

using namespace windowtest;

const char kVariant[] = "smoked";
// Beyond the packet time-out, so a delayed answer counts as a missing one.
const std::string kLate = std::to_string(kFastTimeoutMs + 300);
// The engine's own work in a step (a whole image write), on top of the
// time-out and the two ticks of the faulty step; the steps before it take a
// tick and that much work each.
const int kWorkMarginMs = 1000;

struct FaultGroup
{
    const char *name;
    //! Clean steps of the update before the faulty one.
    int stepsBefore;
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
      0,
      { "unplug:read-memory:2", "silent:read-memory", "status:read-memory:10000", "final-status:read-memory:10000",
        "abort:read-memory", "delay:read-memory:" + kLate } },
    { "VersionReadMalformed",
      0,
      { "report-id:read-memory:1", "long-length:read-memory:1", "short:read-memory:2", "wrong-tag:read-memory:1",
        "other-tag:read-memory:3" } },
    { "EraseLostOrRefused",
      0,
      { "unplug:flash-erase-region:1", "unplug:flash-erase-region:2", "silent:flash-erase-region",
        "status:flash-erase-region:105", "delay:flash-erase-region:" + kLate } },
    { "EraseMalformed",
      0,
      { "report-id:flash-erase-region:1", "long-length:flash-erase-region:1", "short:flash-erase-region:1",
        "wrong-tag:flash-erase-region:1", "other-tag:flash-erase-region:1" } },
    { "WriteCommandAndFirstPacket",
      1,
      { "unplug:write-memory:1", "unplug:write-memory:2", "unplug:write-memory:3", "silent:write-memory",
        "status:write-memory:10200", "abort:write-memory:0", "delay:write-memory:" + kLate } },
    { "WriteCommandAnswerMalformed",
      1,
      { "report-id:write-memory:1", "long-length:write-memory:1", "short:write-memory:1", "wrong-tag:write-memory:1",
        "other-tag:write-memory:1" } },
    { "WritePacketSize",
      1,
      { "packet-size:0", "packet-size:9000", "packet-size:none", "status:get-property:10300",
        "silent:get-property" } },
    { "WriteMiddleAndLastPacket",
      1,
      { "unplug:write-memory:4099", "unplug:write-memory:8195", "unplug:write-memory:8196", "abort:write-memory:4096",
        "abort:write-memory:8192" } },
    { "WriteFinalAnswer",
      1,
      { "final-status:write-memory:10210", "report-id:write-memory:2", "long-length:write-memory:2",
        "short:write-memory:2", "wrong-tag:write-memory:2", "other-tag:write-memory:2" } },
    { "ResetLostOrRefused",
      2,
      { "unplug:reset:1", "unplug:reset:2", "silent:reset", "status:reset:10000", "delay:reset:" + kLate } },
    { "ResetMalformed",
      2,
      { "report-id:reset:1", "long-length:reset:1", "short:reset:1", "wrong-tag:reset:1", "other-tag:reset:1" } },
};

class FaultMatrix : public WindowTest, public ::testing::WithParamInterface<FaultGroup>
{
protected:
    //! Counts the finished page shown with anything but the image in flash.
    void openWatched(Variables variables)
    {
        openFast(variables);
        QObject::connect(pagesOf(*window), &QStackedWidget::currentChanged, window.get(), [this](int index) {
            falseFinishes += index == 4 && !flashHolds(kVariant);
        });
    }

    void runCase(const std::string &fault, int stepsBefore)
    {
        SCOPED_TRACE(fault);
        flash = dir.filePath(QString::fromStdString("flash-" + fault).replace(':', '-'));
        openWatched({ { "VORN_SIM_VARIANT", kVariant }, { "VORN_SIM_FLASH", flash.toStdString() },
                      { "VORN_SIM_FAULT", fault } });
        ASSERT_TRUE(waitForPage(2)) << "update not offered";
        window->on_pushButton_clicked();

        // Until the window settles: the finished page, a message, or polling
        // again (any page but the update page, which the click showed).
        QElapsedTimer sinceClick;
        sinceClick.start();
        ASSERT_TRUE(waitForPage(3));
        ASSERT_TRUE(waitFor([&] { return noticeOpen() || page() != 3; })) << "stuck on the update page";
        EXPECT_LE(sinceClick.elapsed(),
                  kFastTimeoutMs + 2 * kFastTickMs + kWorkMarginMs + stepsBefore * (kFastTickMs + kWorkMarginMs));
        EXPECT_NE(page(), 3) << "a message over the update page leaves the user nowhere to go";
        if (page() != 4)
        {
            EXPECT_FALSE(QFileInfo::exists(window->updateFilePath())) << "an abandoned update leaves no image copy";
        }

        // A clean update follows in the same process.
        if (window->notice())
        {
            window->notice()->accept();
        }
        const Variables clean = { { "VORN_SIM_VARIANT", kVariant }, { "VORN_SIM_FLASH", flash.toStdString() } };
        page() == 4 ? openWatched(clean) : configureSim(clean);
        ASSERT_TRUE(waitFor([&] { return page() == 1 || page() == 2; }));
        if (page() == 1)
        {
            // The image is already in place: unplug, and plug in a controller
            // with old firmware.
            EXPECT_TRUE(flashHolds(kVariant));
            vornsim_set_variant("none");
            ASSERT_TRUE(waitForPage(0));
            ASSERT_TRUE(QFile::remove(flash));
            vornsim_reconfigure();
            ASSERT_TRUE(waitForPage(2));
        }
        window->on_pushButton_clicked();
        ASSERT_TRUE(waitForPage(4)) << "page " << page();
        EXPECT_TRUE(flashHolds(kVariant));
        EXPECT_EQ(falseFinishes, 0);
    }

    int falseFinishes = 0;
};

TEST_P(FaultMatrix, EndsOnAPageOrMessageNeverFalselyFinishesAndACleanUpdateFollows)
{
    for (const std::string &fault : GetParam().faults)
    {
        runCase(fault, GetParam().stepsBefore);
        if (HasFatalFailure())
        {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FaultMatrix, ::testing::ValuesIn(kGroups),
                         [](const ::testing::TestParamInfo<FaultGroup> &info) { return info.param.name; });

} // namespace
