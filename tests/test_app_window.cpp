// The window's pages, hint and messages through whole device steps against the
// virtual controller, driven by the window's own polling.
#include "window_driver.h"
#include "workerthread.h"
#include "blfwk/Logging.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

using namespace windowtest;

TEST(MainWindowForm, StartsOnTheConnectPageAndIgnoresAStrayUpdateClick)
{
    // Polling stopped: only the click could start anything.
    MainWindow window;
    window.setDeviceTiming(3600 * 1000, 0);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the user cannot resize the window";
    EXPECT_EQ(window.windowTitle(), "Kelvo Updater");
    EXPECT_TRUE(labelText(window, "lblNewVersion").isEmpty()) << "the placeholder is cleared";
    window.on_pushButton_clicked();
    EXPECT_EQ(pagesOf(window)->currentIndex(), 0);
    EXPECT_TRUE(window.findChildren<WorkerThread *>().isEmpty()) << "no step started";
    EXPECT_TRUE(window.updateFilePath().isEmpty()) << "no image prepared";
}

TEST(MainWindowForm, SetsTheProductNameInItsOwnFaceWithinItsLabel)
{
    MainWindow window;
    window.setDeviceTiming(3600 * 1000, 0);
    for (const char *name : { "lblProductName", "lblProduct" })
    {
        const QLabel *label = window.findChild<QLabel *>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(QFontInfo(label->font()).family(), "DIN Next W1G Medium") << name << " fell back to another face";
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << name;
    }
}

using UpdateSequence = WindowTest;

TEST_F(UpdateSequence, TheVersionPagesFollowThePluggedControllerOfAnyVariant)
{
    // Black is the last variant tried: found only when the failed reads step
    // through the others one by one.
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.20" } });
    ASSERT_TRUE(waitForPage(1));
    EXPECT_EQ(labelText(*window, "lblSameVersion"), "0.5.20");

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    configureSim({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_VERSION", "0.5.19" } });
    ASSERT_TRUE(waitForPage(2)) << "any other version offers the update";
    EXPECT_EQ(labelText(*window, "lblCurrentVersion"), "0.5.19");
    EXPECT_EQ(labelText(*window, "lblNewVersion"), "0.5.20");

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    configureSim({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_FAULT", "abort:read-memory:0" } });
    ASSERT_TRUE(waitForPage(2)) << "an aborted read counts as version 0.0.0";
    EXPECT_EQ(labelText(*window, "lblCurrentVersion"), "0.0.0");
}

TEST_F(UpdateSequence, AWorkerDeletesItselfAndLeavesNoLoggerBehind)
{
    openFast({ { "VORN_SIM_VARIANT", "none" } });
    ASSERT_TRUE(waitFor([&] { return !window->findChildren<WorkerThread *>().isEmpty(); }));
    QTest::qWait(5 * kFastTickMs);
    window->setDeviceTiming(3600 * 1000, kFastTimeoutMs);
    ASSERT_TRUE(waitFor([&] { return window->findChildren<WorkerThread *>().isEmpty(); }));
    EXPECT_EQ(Log::getLogger(), nullptr) << "the run's logger is gone and no longer installed";
}

TEST_F(UpdateSequence, AClickDuringAVersionReadStartsTheEraseOnceTheReadHasEnded)
{
    // Every read takes most of the time between two polls.
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toStdString() },
           { "VORN_SIM_FAULT", "delay:read-memory:800*" } });
    window->setDeviceTiming(kFastTickMs, 0);
    ASSERT_TRUE(waitForPage(2));
    QTest::qWait(4 * kFastTickMs);
    ASSERT_FALSE(window->findChildren<WorkerThread *>().isEmpty()) << "the next read runs";

    QSignalSpy pages(pagesOf(*window), &QStackedWidget::currentChanged);
    window->on_pushButton_clicked();
    ASSERT_TRUE(waitForPage(4));
    EXPECT_TRUE(flashHolds("smoked"));
    ASSERT_EQ(pages.count(), 2) << "the read's version texts leave the update page alone";
    EXPECT_EQ(pages.at(0).at(0).toInt(), 3);
}

TEST_F(UpdateSequence, ADoubleClickStartsOneUpdateWithOneErase)
{
    const QString trace = dir.filePath("trace.txt");
    openFast({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_FLASH", flash.toStdString() },
               { "VORN_SIM_TRACE", trace.toStdString() } });
    ASSERT_TRUE(waitForPage(2));
    // The second click comes before the first one's page has shown.
    window->on_pushButton_clicked();
    window->on_pushButton_clicked();
    ASSERT_TRUE(waitForPage(4));
    EXPECT_TRUE(flashHolds("black"));
    int erases = 0;
    for (const QByteArray &line : readFile(trace).split('\n'))
    {
        // A command report: 01 00, its length, then the command's tag (02: erase).
        erases += line.startsWith("> 01 00 ") && line.mid(14, 2) == "02";
    }
    EXPECT_EQ(erases, 1);
}

TEST_F(UpdateSequence, ARefusedLastWritePacketFailsButAnUnconfirmedResetAfterItIsTold)
{
    // Both answers come after the host has sent the whole image.
    auto settle = [this](const std::string &fault) {
        openFast({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_FAULT", fault } });
        QSignalSpy progress(window.get(), &MainWindow::progressShown);
        startUpdate();
        ASSERT_TRUE(waitFor([&] { return noticeOpen(); }));
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_EQ(progress.last().at(0).toInt(), 100);
    };
    ASSERT_NO_FATAL_FAILURE(settle("final-status:write-memory:10210"));
    EXPECT_TRUE(window->notice()->text().startsWith(
        "The controller did not confirm that it received the whole new firmware. The update did not finish."));
    EXPECT_EQ(window->notice()->icon(), QMessageBox::Warning);
    EXPECT_EQ(page(), 0) << "back to polling";

    ASSERT_NO_FATAL_FAILURE(settle("status:reset:10000"));
    EXPECT_TRUE(window->notice()->text().startsWith(
        "The new firmware is written. Unplug the controller and plug it in again to start it."));
    EXPECT_EQ(window->notice()->icon(), QMessageBox::Information);
    EXPECT_EQ(page(), 4) << "finished";
}

using AccessHint = WindowTest;

TEST_F(AccessHint, ShowsWhileARefusedControllerIsPluggedInAndGoesWhenItOpensOrIsUnplugged)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_FAULT", "denied" } });
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    QLabel *hint = window->findChild<QLabel *>(QStringLiteral("lblAccessHint"));
    ASSERT_NE(hint, nullptr);
    // Watches the hint over several rounds through all four variants.
    auto hintStays = [&](bool shown) {
        bool stayed = true;
        waitFor(
            [&] {
                stayed = stayed && hint->isVisible() == shown;
                return !stayed;
            },
            12 * vorn::kVariantCount * kFastTickMs);
        return stayed;
    };
    EXPECT_FALSE(hint->isVisible());
    ASSERT_TRUE(waitFor([&] { return hint->isVisible(); }));
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(hint->parentWidget(), pagesOf(*window)->widget(0));
    EXPECT_TRUE(hint->text().contains(QStringLiteral("udev rule")));
    EXPECT_TRUE(hint->text().endsWith(QStringLiteral("\n60-kelvo-updater.rules"))) << "the rule is named";
    EXPECT_TRUE(hintStays(true)) << "polling goes on through the other variants";

    // The rule is in place and the controller plugged in again.
    qputenv("VORN_SIM_FAULT", "");
    vornsim_reconfigure();
    ASSERT_TRUE(waitForPage(2));
    EXPECT_TRUE(hint->isHidden()) << "not waiting on a page that is not shown";

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    EXPECT_TRUE(hintStays(false)) << "no controller is not a permission problem";
}

} // namespace
