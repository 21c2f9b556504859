// Whole device steps against the virtual controller, driven by the window's
// own one-second polling. Every test runs in its own process and directory.
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "sim/vornsim_control.h"
#include "workerthread.h"
#include "blfwk/Logging.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
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

const int kStepWaitMs = 15000;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

    bool imageFileExists() const { return QFileInfo::exists(QDir::current().filePath("updatefile.bin")); }

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

TEST_F(UpdateSequence, AFailedEraseStaysOnTheUpdatingPageAndWritesNothing)
{
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FAULT", "status:flash-erase-region:10000" } });
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return window->lstMsg == MainWindow::FlashErase; }));
    // Several ticks pass without a further step.
    QTest::qWait(2500);
    EXPECT_EQ(window->lstMsg, MainWindow::FlashErase);
    EXPECT_EQ(page(), 3);
    EXPECT_FALSE(imageFileExists());
}

TEST_F(UpdateSequence, AControllerLostDuringTheWriteReturnsToPolling)
{
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FAULT", "unplug:write-memory:200" } });
    QSignalSpy progress(window.get(), &MainWindow::progressShown);
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return window->lstMsg == MainWindow::SendBinary; }));
    ASSERT_TRUE(waitForPage(0));
    EXPECT_EQ(window->flashed, 0);
    EXPECT_GT(progress.count(), 0) << "the write had begun";

    ASSERT_TRUE(waitFor([&] { return window->lstMsg == MainWindow::GetVersion; }))
        << "polling resumes once the write has ended";
    EXPECT_FALSE(imageFileExists());
}

TEST_F(UpdateSequence, AWriteTheControllerRefusesAfterItsLastPacketNeverFinishes)
{
    open({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_FAULT", "final-status:write-memory:10210" } });
    startUpdate();
    ASSERT_TRUE(waitFor([&] { return window->lastPercent == 100; }, 2 * kStepWaitMs));
    // Several ticks pass: no reset is started and the finished page never shows.
    QTest::qWait(2500);
    EXPECT_EQ(window->lstMsg, MainWindow::SendBinary);
    EXPECT_EQ(window->flashed, 0);
    EXPECT_EQ(page(), 3);
    EXPECT_FALSE(imageFileExists()) << "the ended write's image copy is removed all the same";
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

TEST_F(UpdateSequence, AFileLeftInPlaceOfTheImageIsNeverWritten)
{
    // A comma in the directory must not cut the path the engine is given.
    ASSERT_TRUE(QDir(dir.path()).mkdir("work,1"));
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("work,1")));
    const QString decoy = dir.filePath("decoy.bin");
    {
        QFile file(decoy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a firmware image");
    }
    ASSERT_TRUE(QFile::link(decoy, dir.filePath("work,1/updatefile.bin")));

    const QString flash = dir.filePath("flash.bin");
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
    startUpdate();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));

    EXPECT_EQ(readFile(decoy), "not a firmware image") << "the link was removed, not followed";
    EXPECT_FALSE(imageFileExists());
    EXPECT_TRUE(readFile(flash).startsWith(readFile(":/binaries/vorn_tarsel_v_0.5.20_smoked.bin")));
}

} // namespace
