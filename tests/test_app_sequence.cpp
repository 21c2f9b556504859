// Whole device steps against the virtual controller, driven by the window's
// own one-second polling. Every test runs in its own process and directory.
#include "window_driver.h"
#include "workerthread.h"
#include "blfwk/Logging.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimerEvent>

#include <functional>
#include <memory>
#include <utility>

namespace {

using windowtest::noticeOpen;
using windowtest::readFile;

const int kStepWaitMs = 15000;

class UpdateSequence : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The window copies its image file into the current directory. The
        // window member goes first, before the directory is removed.
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }

    void open(std::initializer_list<std::pair<const char *, QByteArray>> environment)
    {
        for (const auto &variable : environment)
        {
            qputenv(variable.first, variable.second);
        }
        vornsim_reconfigure();
        window = std::make_unique<MainWindow>();
        window->show();
    }

    int page() const { return window->ui->stackedWidget->currentIndex(); }

    bool waitFor(const std::function<bool()> &condition, int timeoutMs = kStepWaitMs)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    bool waitForPage(int index, int timeoutMs = kStepWaitMs)
    {
        return waitFor([&] { return page() == index; }, timeoutMs);
    }

    //! Waits until the update is offered, then clicks the update button.
    void startUpdate()
    {
        ASSERT_TRUE(waitForPage(2)) << "page " << page();
        window->on_pushButton_clicked();
        ASSERT_EQ(page(), 3);
    }

    //! The private copy, or (for the old place) a file in the current directory.
    bool imageFileExists() const
    {
        return QFileInfo::exists(window->updateFilePath()) ||
               QFileInfo::exists(QDir::current().filePath("updatefile.bin"));
    }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
};

TEST_F(UpdateSequence, WithoutAControllerTheVersionReadCyclesThroughTheVariants)
{
    open({ { "VORN_SIM_VARIANT", "none" } });
    QList<int> seen{ window->foundIndex };
    ASSERT_TRUE(waitFor([&] {
        if (window->foundIndex != seen.last())
        {
            seen << window->foundIndex;
        }
        return seen.size() == 5;
    }));
    EXPECT_EQ(seen, (QList<int>{ 0, 1, 2, 3, 0 }));
    EXPECT_EQ(page(), 0);
}

TEST_F(UpdateSequence, AWorkerHandsOverItsRunsTextsAndLeavesNoLoggerBehind)
{
    open({ { "VORN_SIM_VARIANT", "none" } });
    window->killTimer(window->timerId);
    window->lstMsg = MainWindow::GetVersion;

    const char *args[] = { "RiVuvo", "-u", "0x3b7c,0x5e0d", "--", "read-memory", "0x70006", "6" };
    QPointer<WorkerThread> worker = new WorkerThread(window.get());
    worker->SetArgs(7, const_cast<char **>(args));
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    ASSERT_TRUE(waitFor([&] { return worker.isNull(); })) << "the worker deletes itself";

    EXPECT_EQ(window->foundIndex, 1) << "exactly one error text reached the window";
    EXPECT_EQ(Log::getLogger(), nullptr) << "the run's logger is gone and no longer installed";
}

TEST_F(UpdateSequence, TheVersionPagesFollowThePluggedController)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.20" } });
    ASSERT_TRUE(waitForPage(1)) << "found after trying the three other variants";
    EXPECT_EQ(window->ui->lblSameVersion->text(), "0.5.20");

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    qputenv("VORN_SIM_VERSION", "0.5.19");
    qputenv("VORN_SIM_VARIANT", "smoked");
    vornsim_reconfigure();
    ASSERT_TRUE(waitForPage(2)) << "any other version offers the update";
    EXPECT_EQ(window->ui->lblCurrentVersion->text(), "0.5.19");
    EXPECT_EQ(window->ui->lblNewVersion->text(), "0.5.20");

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    qputenv("VORN_SIM_FAULT", "abort:read-memory:0");
    vornsim_reconfigure();
    ASSERT_TRUE(waitForPage(2)) << "an aborted read counts as version 0.0.0";
    EXPECT_EQ(window->ui->lblCurrentVersion->text(), "0.0.0");
    EXPECT_EQ(window->ui->lblSameVersion->text(), "0.0.0");
}

TEST_F(UpdateSequence, AClickDuringAVersionReadStartsTheEraseOnceTheReadHasEnded)
{
    open({ { "VORN_SIM_VARIANT", "smoked" } });
    ASSERT_TRUE(waitForPage(2));
    window->killTimer(window->timerId);
    window->CheckController();
    window->on_pushButton_clicked();
    EXPECT_EQ(window->lstMsg, MainWindow::GetVersion) << "no second run while the read goes on";

    QTimerEvent tick(window->timerId);
    ASSERT_TRUE(waitFor([&] {
        QCoreApplication::sendEvent(window.get(), &tick);
        return window->lstMsg == MainWindow::FlashErase;
    }));
    EXPECT_EQ(page(), 3);
}

TEST_F(UpdateSequence, AFailedEraseIsReportedAndASecondUpdateFinishes)
{
    const QString flash = dir.filePath("flash.bin");
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() },
           { "VORN_SIM_FAULT", "status:flash-erase-region:10000" } });
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return noticeOpen(*window); }));
    EXPECT_TRUE(window->notice()->text().startsWith(
        "The controller did not confirm that its old firmware was erased. The update did not finish. Unplug the "
        "controller, hold the left stick, plug it in again, then click UPDATE."));
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(window->lstMsg, MainWindow::GetVersion) << "back to polling";
    EXPECT_FALSE(imageFileExists());

    window->notice()->accept();
    startUpdate();
    ASSERT_TRUE(waitForPage(4));
    EXPECT_EQ(readFile(flash).left(458764), readFile(":/binaries/vorn_tarsel_v_0.5.20_smoked.bin"));
}

TEST_F(UpdateSequence, AControllerLostDuringTheWriteIsReportedAndPollingResumes)
{
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FAULT", "unplug:write-memory:200" } });
    QSignalSpy progress(window.get(), &MainWindow::progressShown);
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return window->lstMsg == MainWindow::SendBinary; }));
    ASSERT_TRUE(waitForPage(0));
    EXPECT_EQ(window->flashed, 0);
    EXPECT_GT(progress.count(), 0) << "the write had begun";
    EXPECT_TRUE(noticeOpen(*window));
    EXPECT_TRUE(window->notice()->text().contains("The update did not finish."));

    ASSERT_TRUE(waitFor([&] { return window->lstMsg == MainWindow::GetVersion; }))
        << "polling resumes once the write has ended";
    EXPECT_FALSE(imageFileExists());
}

TEST_F(UpdateSequence, AWriteTheControllerRefusesAfterItsLastPacketNeverFinishes)
{
    open({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_FAULT", "final-status:write-memory:10210" } });
    QSignalSpy pages(window->ui->stackedWidget, &QStackedWidget::currentChanged);
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return noticeOpen(*window); }, 2 * kStepWaitMs));
    EXPECT_TRUE(window->notice()->text().startsWith(
        "The controller did not confirm that it received the whole new firmware. The update did not finish."));
    EXPECT_EQ(window->flashed, 0);
    EXPECT_EQ(window->lastPercent, 0) << "a second update shows its 100 % again";
    EXPECT_NE(window->lstMsg, MainWindow::Reset);
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

TEST_F(UpdateSequence, StartingAStepClearsItsFlagSoOnlyItsOwnRunCanSetIt)
{
    open({ { "VORN_SIM_VARIANT", "none" } });
    window->killTimer(window->timerId);
    // Flags left over from an earlier update.
    window->erased = 1;
    window->flashed = 1;
    window->EraseFlash();
    ASSERT_EQ(window->lstMsg, MainWindow::FlashErase);
    EXPECT_EQ(window->erased, 0);
    ASSERT_TRUE(waitFor([&] { return window->running == 0; }));
    QTest::qWait(100);

    QTimerEvent tick(window->timerId);
    QCoreApplication::sendEvent(window.get(), &tick);
    EXPECT_NE(window->lstMsg, MainWindow::SendBinary) << "the stale flag started no write";
    EXPECT_EQ(window->flashed, 0) << "an abandoned update clears every flag";
}

TEST_F(UpdateSequence, ASuccessfulUpdateWritesTheVariantsImageAndFinishes)
{
    const QString flash = dir.filePath("flash.bin");
    open({ { "VORN_SIM_VARIANT", "light_gray" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));
    EXPECT_EQ(window->lastPercent, 100);
    EXPECT_EQ(window->ui->lblFinishedVersion->text(), "0.5.20");
    EXPECT_EQ(window->lstMsg, MainWindow::Reset);
    EXPECT_FALSE(imageFileExists()) << "the image copy is deleted after the write";

    const QByteArray image = readFile(":/binaries/vorn_tarsel_v_0.5.20_light_gray.bin");
    ASSERT_EQ(image.size(), 458764);
    EXPECT_TRUE(readFile(flash).startsWith(image));
}

//! What may stand at the name the image copy once had in the current directory.
enum class Planted
{
    NonEmptyDirectory,
    LinkToADecoy,
    ReadOnlyFile
};

std::string plantedName(const ::testing::TestParamInfo<Planted> &info)
{
    const char *const names[] = { "NonEmptyDirectory", "LinkToADecoy", "ReadOnlyFile" };
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
    }
    const QFileInfo before(old);

    const QString flash = dir.filePath("flash.bin");
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));

    const QFileInfo after(old);
    EXPECT_EQ(after.isDir(), before.isDir());
    EXPECT_EQ(after.isSymLink(), before.isSymLink());
    EXPECT_EQ(after.lastModified(), before.lastModified());
    EXPECT_EQ(readFile(decoy), "not a firmware image");
    EXPECT_FALSE(window->updateFilePath().startsWith(QDir::currentPath()));
    EXPECT_EQ(readFile(flash).left(458764), readFile(":/binaries/vorn_tarsel_v_0.5.20_smoked.bin"));
}

INSTANTIATE_TEST_SUITE_P(AtTheOldPlace, OldImagePlace,
                         ::testing::Values(Planted::NonEmptyDirectory, Planted::LinkToADecoy, Planted::ReadOnlyFile),
                         plantedName);

TEST_F(UpdateSequence, AnUpdateFinishesFromACurrentDirectoryNobodyCanWriteTo)
{
    // Even root cannot create a file in a directory that has been removed.
    ASSERT_TRUE(QDir(dir.path()).mkdir("gone"));
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("gone")));
    ASSERT_TRUE(QDir(dir.path()).rmdir("gone"));

    const QString flash = dir.filePath("flash.bin");
    open({ { "VORN_SIM_VARIANT", "light_gray" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));
    EXPECT_EQ(readFile(flash).left(458764), readFile(":/binaries/vorn_tarsel_v_0.5.20_light_gray.bin"));
}

TEST_F(UpdateSequence, WithoutAPlaceForTheImageNothingIsErasedAndTheUserCanTryAgain)
{
    // No usable runtime directory, and a temporary directory that cannot hold one.
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", dir.filePath("missing/tmp").toUtf8());
    const QString flash = dir.filePath("flash.bin");
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
    EXPECT_EQ(readFile(flash).left(458764), readFile(":/binaries/vorn_tarsel_v_0.5.20_smoked.bin"));
}

} // namespace
