// One writer per controller, seen from the window: nothing is sent while
// another program holds the controller, the controller stays reserved from
// the version read that offers the update to the end of the reset, and a
// close during the update waits for its end.
#include "lock_holder.h"
#include "window/updatetexts.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>

namespace {

using namespace windowtest;

const std::string kSmokedPath = "\\\\?\\hid#vid_3b7c&pid_5e0d#vornsim#{4d1e55b2-f16f-11cf-88cb-001111000030}";

using OneWriter = WindowTest;

TEST_F(OneWriter, WhileAnotherProgramHoldsTheControllerNothingIsSentAndTheConnectPageSaysSo)
{
    testlock::LockHolder other(kSmokedPath);
    ASSERT_TRUE(other.take());
    const QString trace = dir.filePath("trace.txt");
    openFast({ { "VORN_SIM_VARIANT", "smoked" },
               { "VORN_SIM_FLASH", flash.toStdString() },
               { "VORN_SIM_TRACE", trace.toStdString() } });
    QLabel *hint = window->findChild<QLabel *>(QStringLiteral("lblBusyHint"));
    ASSERT_NE(hint, nullptr);
    ASSERT_TRUE(waitFor([&] { return !hint->isHidden(); }, 3000));
    EXPECT_EQ(hint->text(), QLatin1String(updatetexts::kControllerBusy));
    QTest::qWait(20 * kFastTickMs);
    EXPECT_EQ(page(), 0);
    EXPECT_TRUE(readFile(trace).isEmpty()) << "not one report went to the controller";

    // Free again: the update is offered, and from then on the window holds it.
    other.release();
    ASSERT_TRUE(waitForPage(2));
    EXPECT_TRUE(hint->isHidden());
    EXPECT_FALSE(other.take()) << "the version read that offers the update keeps the controller";

    window->on_pushButton_clicked();
    ASSERT_TRUE(waitForPage(4));
    EXPECT_TRUE(flashHolds("smoked"));
    EXPECT_TRUE(waitFor([&] { return other.take(); }, 2000)) << "released once the reset has ended";
}

TEST_F(OneWriter, ClosingDuringTheWriteKeepsTheWindowSaysWhyAndClosesOnceTheResetHasEnded)
{
    openFast({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    window->show();
    // Closed at the write's first percentage, however fast the rest of it goes.
    bool asked = false;
    bool closed = true;
    bool visible = false;
    int pageWhenAsked = -1;
    QString copy;
    QString said;
    QObject::connect(window.get(), &MainWindow::progressShown, [&](int) {
        if (!asked)
        {
            asked = true;
            pageWhenAsked = page();
            copy = window->updateFilePath();
            closed = window->close();
            visible = window->isVisible();
            said = noticeOpen() ? window->notice()->text() : QString();
        }
    });
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return asked; }));

    EXPECT_FALSE(closed) << "no question, no disappearing";
    EXPECT_TRUE(visible);
    EXPECT_EQ(pageWhenAsked, 3);
    EXPECT_EQ(said, QLatin1String(updatetexts::kClosingAfterUpdate));

    ASSERT_TRUE(waitFor([&] { return !window->isVisible(); })) << "page " << page();
    EXPECT_EQ(page(), 4) << "closed after the finished page";
    EXPECT_TRUE(flashHolds("smoked"));
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST_F(OneWriter, ClosingDuringAnUpdateThatFailsLeavesTheWindowWithTheReason)
{
    openFast({ { "VORN_SIM_VARIANT", "smoked" },
               { "VORN_SIM_FLASH", flash.toStdString() },
               { "VORN_SIM_FAULT", "status:flash-erase-region:105" } });
    window->show();
    startUpdate();
    EXPECT_FALSE(window->close());
    ASSERT_TRUE(waitFor([&] { return noticeOpen() && window->notice()->text().startsWith(updatetexts::kEraseFailed); }));
    QTest::qWait(10 * kFastTickMs);
    EXPECT_TRUE(window->isVisible()) << "the user sees why the controller is not written";
    EXPECT_TRUE(window->close()) << "once nothing is being written, a close closes";
}

} // namespace
