// The window's trail for support: every update leaves a log in the user's
// state folder, and a failed update's message names it and carries its text.
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace {

using namespace windowtest;

class UpdateLogWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(state.isValid());
        previous = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", state.path().toUtf8());
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_STATE_HOME", previous);
    }

    QStringList logs() const
    {
        return QDir(state.filePath("kelvo-updater")).entryList({ "*.log" }, QDir::Files, QDir::Name);
    }

    QTemporaryDir state;
    QByteArray previous;
};

TEST_F(UpdateLogWindow, ARefusedEraseNamesItsLogAndOffersItsTextToCopy)
{
    openFast({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_VERSION", "0.5.19" },
               { "VORN_SIM_FLASH", flash.toStdString() }, { "VORN_SIM_FAULT", "status:flash-erase-region:105" } });
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return noticeOpen(); }));

    ASSERT_EQ(logs().size(), 1);
    const QString path = state.filePath("kelvo-updater/" + logs().constFirst());
    EXPECT_TRUE(path.contains("steel_gray")) << "one file per controller";
    EXPECT_TRUE(window->notice()->text().contains(path)) << window->notice()->text().toStdString();
    const QString log = QString::fromUtf8(readFile(path));
    EXPECT_EQ(window->notice()->detailedText(), log);

    // From the version read that led to the update to the message shown.
    EXPECT_LT(log.indexOf("Version: 13 00 05 00 00 00"), log.indexOf("Inject command 'flash-erase-region'"));
    EXPECT_TRUE(log.contains("Firmware in the controller: 0.5.19"));
    EXPECT_TRUE(log.contains("Firmware to write: 0.5.20"));
    EXPECT_TRUE(log.contains("Updater: kelvo-updater " VORN_UPDATER_VERSION));
    EXPECT_TRUE(log.trimmed().endsWith("then click UPDATE.")) << log.right(300).toStdString();
}

TEST_F(UpdateLogWindow, UpdatesThatAreNotStartedLeaveNoLog)
{
    openFast({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.19" },
               { "VORN_SIM_FLASH", flash.toStdString() } });
    ASSERT_TRUE(waitForPage(2));
    QTest::qWait(5 * kFastTickMs);
    EXPECT_TRUE(logs().isEmpty()) << "polling alone writes nothing";
}

TEST_F(UpdateLogWindow, TheTitleTellsTheWindowsOwnVersion)
{
    openFast({ { "VORN_SIM_VARIANT", "none" } });
    const auto *title = window->findChild<QLabel *>("lblTitle");
    EXPECT_TRUE(title->toolTip().endsWith(" " VORN_UPDATER_VERSION)) << title->toolTip().toStdString();
    EXPECT_EQ(title->accessibleDescription(), title->toolTip());
}

} // namespace
