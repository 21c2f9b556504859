// Whole device steps against the virtual controller, driven by the window's
// own polling. Every test runs in its own process and directory.
#include "window_driver.h"
#include "workerthread.h"
#include "blfwk/Logging.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>

namespace {

using namespace windowtest;

class UpdateSequence : public WindowTest
{
protected:
    //! The private copy, or (for the old place) a file in the current directory.
    bool imageFileExists() const
    {
        return QFileInfo::exists(window->updateFilePath()) ||
               QFileInfo::exists(QDir::current().filePath("updatefile.bin"));
    }

    void plugIn(const char *variant, const char *version)
    {
        qputenv("VORN_SIM_VERSION", version);
        qputenv("VORN_SIM_VARIANT", variant);
        vornsim_reconfigure();
    }
};

TEST_F(UpdateSequence, TheVersionPagesFollowThePluggedControllerOfAnyVariant)
{
    // Black is the last variant tried: found only when the failed reads step
    // through the others one by one.
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.20" } });
    ASSERT_TRUE(waitForPage(1));
    EXPECT_EQ(labelText(*window, "lblSameVersion"), "0.5.20");

    // From the last variant back to the first.
    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    plugIn("smoked", "0.5.19");
    ASSERT_TRUE(waitForPage(2)) << "any other version offers the update";
    EXPECT_EQ(labelText(*window, "lblCurrentVersion"), "0.5.19");
    EXPECT_EQ(labelText(*window, "lblNewVersion"), "0.5.20");

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    qputenv("VORN_SIM_FAULT", "abort:read-memory:0");
    plugIn("steel_gray", "0.5.20");
    ASSERT_TRUE(waitForPage(2)) << "an aborted read counts as version 0.0.0";
    EXPECT_EQ(labelText(*window, "lblCurrentVersion"), "0.0.0");
    EXPECT_EQ(labelText(*window, "lblSameVersion"), "0.0.0");
}

TEST_F(UpdateSequence, AWorkerHandsOverItsRunsTextsDeletesItselfAndLeavesNoLoggerBehind)
{
    open({ { "VORN_SIM_VARIANT", "none" } });
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    ASSERT_TRUE(waitFor([&] { return !window->findChildren<WorkerThread *>().isEmpty(); }));
    QTest::qWait(5 * kFastTickMs);
    window->setDeviceTiming(3600 * 1000, kFastTimeoutMs);
    ASSERT_TRUE(waitFor([&] { return window->findChildren<WorkerThread *>().isEmpty(); }));
    EXPECT_EQ(Log::getLogger(), nullptr) << "the run's logger is gone and no longer installed";
    EXPECT_EQ(page(), 0);
}

TEST_F(UpdateSequence, AClickDuringAVersionReadStartsTheEraseOnceTheReadHasEnded)
{
    // Every read takes most of the time between two polls.
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() },
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

TEST_F(UpdateSequence, AWriteTheControllerRefusesAfterItsLastPacketNeverFinishes)
{
    open({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_FAULT", "final-status:write-memory:10210" } });
    QSignalSpy pages(pagesOf(*window), &QStackedWidget::currentChanged);
    QSignalSpy progress(window.get(), &MainWindow::progressShown);
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return noticeOpen(*window); }, 2 * kStepWaitMs));
    EXPECT_TRUE(window->notice()->text().startsWith(
        "The controller did not confirm that it received the whole new firmware. The update did not finish."));
    EXPECT_EQ(window->notice()->icon(), QMessageBox::Warning);
    EXPECT_EQ(page(), 0) << "back to polling";
    EXPECT_EQ(progress.last().at(0).toInt(), 100) << "the host had sent everything";
    for (const QList<QVariant> &change : pages)
    {
        EXPECT_NE(change.at(0).toInt(), 4) << "never the finished page";
    }
    EXPECT_FALSE(imageFileExists()) << "the ended write's image copy is removed all the same";
}

TEST_F(UpdateSequence, AResetWithoutItsSuccessTextAfterAConfirmedWriteSaysTheFirmwareIsWritten)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_FAULT", "status:reset:10000" } });
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));
    ASSERT_TRUE(noticeOpen(*window));
    EXPECT_EQ(window->notice()->text(),
              "The new firmware is written. Unplug the controller and plug it in again to start it.");
    EXPECT_EQ(window->notice()->icon(), QMessageBox::Information);
}

TEST_F(UpdateSequence, ASuccessfulUpdateWritesTheVariantsImageAndFinishes)
{
    open({ { "VORN_SIM_VARIANT", "light_gray" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    QSignalSpy progress(window.get(), &MainWindow::progressShown);
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    EXPECT_EQ(labelText(*window, "lblFinishedVersion"), "0.5.20");
    EXPECT_FALSE(imageFileExists()) << "the image copy is deleted after the write";
    EXPECT_TRUE(flashHolds("light_gray"));
    EXPECT_FALSE(noticeOpen(*window));
}

//! What may stand at the name the image copy once had in the current directory.
enum class Planted
{
    NonEmptyDirectory,
    LinkToADecoy,
    ReadOnlyFile,
    //! Nobody, not even root, can create a file there.
    RemovedCurrentDirectory
};

std::string plantedName(const ::testing::TestParamInfo<Planted> &info)
{
    const char *const names[] = { "NonEmptyDirectory", "LinkToADecoy", "ReadOnlyFile", "RemovedCurrentDirectory" };
    return names[static_cast<int>(info.param)];
}

class OldImagePlace : public UpdateSequence, public ::testing::WithParamInterface<Planted>
{
};

TEST_P(OldImagePlace, WhateverStandsThereIsLeftAloneAndOnlyTheImageReachesTheController)
{
    // A comma in the current directory does not matter either.
    ASSERT_TRUE(QDir(dir.path()).mkdir("work,1"));
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("work,1")));
    const QString old = QDir::current().filePath("updatefile.bin");
    const QString decoy = dir.filePath("decoy.bin");
    {
        QFile file(decoy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a firmware image");
    }
    switch (GetParam())
    {
    case Planted::NonEmptyDirectory:
        ASSERT_TRUE(QDir().mkpath(old + "/inside"));
        break;
    case Planted::LinkToADecoy:
        ASSERT_TRUE(QFile::link(decoy, old));
        break;
    case Planted::ReadOnlyFile:
        // Stands for a file the updater could not remove (an immutable one
        // needs privileges that CI's root may not have on its file system).
        ASSERT_TRUE(QFile::copy(decoy, old));
        ASSERT_TRUE(QFile::setPermissions(old, QFile::ReadOwner));
        break;
    case Planted::RemovedCurrentDirectory:
        ASSERT_TRUE(QDir(dir.path()).rmdir("work,1"));
        break;
    }
    const QFileInfo before(old);

    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));

    const QFileInfo after(old);
    EXPECT_EQ(after.isDir(), before.isDir());
    EXPECT_EQ(after.isSymLink(), before.isSymLink());
    EXPECT_EQ(after.lastModified(), before.lastModified());
    EXPECT_EQ(readFile(decoy), "not a firmware image");
    EXPECT_FALSE(window->updateFilePath().startsWith(dir.filePath("work,1")));
    EXPECT_TRUE(flashHolds("smoked"));
}

INSTANTIATE_TEST_SUITE_P(AtTheOldPlace, OldImagePlace,
                         ::testing::Values(Planted::NonEmptyDirectory, Planted::LinkToADecoy, Planted::ReadOnlyFile,
                                           Planted::RemovedCurrentDirectory),
                         plantedName);

TEST_F(UpdateSequence, WithoutAPlaceForTheImageNothingIsErasedAndTheUserCanTryAgain)
{
    // No usable runtime directory, and a temporary directory that cannot hold one.
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", dir.filePath("missing/tmp").toUtf8());
    const QString trace = dir.filePath("trace.txt");
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() },
           { "VORN_SIM_TRACE", trace.toUtf8() } });
    ASSERT_TRUE(waitForPage(2));
    const QByteArray oldFlash = readFile(flash);

    window->on_pushButton_clicked();
    ASSERT_TRUE(noticeOpen(*window));
    EXPECT_TRUE(window->notice()->text().startsWith("The firmware image could not be prepared, so nothing on the "
                                                    "controller was changed."));
    EXPECT_EQ(page(), 2) << "the update is still offered";
    QTest::qWait(2500);
    EXPECT_EQ(readFile(flash), oldFlash);
    EXPECT_FALSE(readFile(trace).contains("> 01 00 10 00 02")) << "no erase command was sent";

    window->notice()->accept();
    qputenv("TMPDIR", dir.path().toUtf8());
    window->on_pushButton_clicked();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));
    EXPECT_TRUE(flashHolds("smoked"));
}

} // namespace
