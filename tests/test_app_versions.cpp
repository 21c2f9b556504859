// Which version the window offers to which controller, and how versions that
// are not firmware read: a newer controller is up to date and never erased,
// and erased flash shows as a word, never as numbers.
#include "vornbutton.h"
#include "window/firmwareversion.h"
#include "window_driver.h"
#include "workerthread.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

using namespace windowtest;

TEST(FirmwareVersion, OnlyAnOlderOrUnreadableControllerIsOfferedANewerReadableImage)
{
    EXPECT_TRUE(firmwareversion::offerUpdate("0.5.19", "0.5.20"));
    EXPECT_TRUE(firmwareversion::offerUpdate("0.0.0", "0.5.20")) << "an aborted read";
    EXPECT_TRUE(firmwareversion::offerUpdate("0.9.99", "0.10.0")) << "numbers, not texts, are compared";
    EXPECT_TRUE(firmwareversion::offerUpdate("65535.65535.65535", "0.5.20")) << "erased flash needs firmware";
    EXPECT_FALSE(firmwareversion::offerUpdate("0.5.20", "0.5.20"));
    EXPECT_FALSE(firmwareversion::offerUpdate("0.6.0", "0.5.20"));
    EXPECT_FALSE(firmwareversion::offerUpdate("1.0.0", "0.99.99")) << "the major number weighs most";
    EXPECT_FALSE(firmwareversion::offerUpdate("0.5.19", "65535.65535.65535")) << "an unreadable image is never sent";
}

TEST(FirmwareVersion, ComparesAnOfferedImageWithTheControllerAsTheConsoleDecidesOnIt)
{
    EXPECT_GT(firmwareversion::compare("0.5.20", "0.5.9"), 0) << "numbers, not texts";
    EXPECT_LT(firmwareversion::compare("0.5.20", "1.0.0"), 0);
    EXPECT_EQ(firmwareversion::compare("0.5.20", "0.5.20"), 0);
    EXPECT_GT(firmwareversion::compare("0.5.20", "65535.65535.65535"), 0) << "erased flash is offered the update";
    EXPECT_LT(firmwareversion::compare("65535.65535.65535", "0.5.19"), 0) << "an image without a version is no newer";
    EXPECT_LT(firmwareversion::compare("1.2.3.4", "0.5.19"), 0);
}

TEST(FirmwareVersion, ErasedFieldsAndMalformedTextsReadAsNoFirmware)
{
    for (const char *version : { "65535.65535.65535", "0.5.65535", "65535.0.0", "1.2", "1.2.3.4", "a.b.c", "" })
    {
        EXPECT_FALSE(firmwareversion::readable(version)) << version;
        EXPECT_EQ(firmwareversion::shown(version), "none") << version;
    }
    for (const char *version : { "0.0.0", "0.5.20", "65534.1.2" })
    {
        EXPECT_TRUE(firmwareversion::readable(version)) << version;
        EXPECT_EQ(firmwareversion::shown(version), version);
    }
}

using VersionPages = WindowTest;

TEST_F(VersionPages, ANewerControllerGetsTheUpToDatePageAndIsNeverErased)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.6.0" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    ASSERT_TRUE(waitForPage(1));
    EXPECT_EQ(labelText(*window, "lblSameVersion"), "0.6.0");
    const QByteArray before = readFile(flash);
    ASSERT_FALSE(before.isEmpty());

    QSignalSpy pages(pagesOf(*window), &QStackedWidget::currentChanged);
    // Every way of pressing UPDATE: the slot, the hidden button's signal.
    window->on_pushButton_clicked();
    Q_EMIT window->findChild<vornButton *>()->vornButtonClicked();
    QTest::qWait(8 * kFastTickMs);
    EXPECT_EQ(page(), 1);
    EXPECT_TRUE(pages.isEmpty());
    EXPECT_TRUE(window->updateFilePath().isEmpty()) << "no image prepared";
    EXPECT_EQ(readFile(flash), before) << "the controller's flash is untouched";
}

TEST_F(VersionPages, ErasedFirmwareShowsAsNoneAndIsOfferedTheUpdate)
{
    openFast({ { "VORN_SIM_VARIANT", "light_gray" }, { "VORN_SIM_VERSION", "65535.65535.65535" } });
    ASSERT_TRUE(waitForPage(2));
    EXPECT_EQ(labelText(*window, "lblCurrentVersion"), "none");
    EXPECT_EQ(labelText(*window, "lblSameVersion"), "none");
    EXPECT_EQ(labelText(*window, "lblNewVersion"), "0.5.20");
}

TEST_F(VersionPages, AControllerSwappedForANewerOneBetweenTwoReadsIsNotErased)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.19" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    ASSERT_TRUE(waitForPage(2));
    // The new controller answers before any read fails: the offer page stays,
    // but the click is judged by the version read last.
    flash = dir.filePath("newer.bin");
    configureSim({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.7.1" },
                   { "VORN_SIM_FLASH", flash.toStdString() } });
    ASSERT_TRUE(waitFor([&] { return labelText(*window, "lblCurrentVersion") == "0.7.1"; }));
    const QByteArray before = readFile(flash);
    window->on_pushButton_clicked();
    QTest::qWait(8 * kFastTickMs);
    EXPECT_NE(page(), 3);
    EXPECT_EQ(readFile(flash), before);
}

} // namespace
