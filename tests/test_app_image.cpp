// The private copy of the image that the engine writes: where it lives, what
// counts as the image, and that nothing another process or user does, there
// or at the old place in the current directory, changes what the controller
// receives.
#include "privateimage.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace windowtest;

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class PrivateImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(runtime) && QDir().mkpath(temp));
        ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        qputenv("TMPDIR", temp.toUtf8());
    }

    QTemporaryDir root;
    const QString runtime = root.filePath("runtime");
    const QString temp = root.filePath("temp");
    const QByteArray image = QByteArray(70000, '\x5a') + "trailer";
};

TEST_F(PrivateImageTest, LivesInADirectoryOnlyThisUserMayEnterPreferablyTheRuntimeOneAndGoesWithTheObject)
{
    QString directory;
    {
        PrivateImage copy;
        EXPECT_TRUE(copy.path().isEmpty()) << "nothing is made before it is needed";
        EXPECT_FALSE(copy.prepare(QByteArray())) << "an empty image is no firmware";
        ASSERT_TRUE(copy.prepare(image));
        directory = copy.directory();
        EXPECT_EQ(QFileInfo(directory).absolutePath(), runtime);
        EXPECT_EQ(modeOf(directory), 0700u);
        EXPECT_EQ(copy.path(), directory + "/updatefile.bin");
        EXPECT_EQ(readFile(copy.path()), image);
        copy.remove();
        EXPECT_FALSE(QFileInfo::exists(copy.path()));
    }
    EXPECT_FALSE(QFileInfo::exists(directory)) << "removed with everything in it";

    // A runtime directory others may enter is passed over.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0755), 0);
    PrivateImage copy;
    ASSERT_TRUE(copy.prepare(image));
    EXPECT_EQ(QFileInfo(copy.directory()).absolutePath(), temp);
    EXPECT_EQ(modeOf(copy.directory()), 0700u);
}

TEST_F(PrivateImageTest, OnlyARegularFileWithExactlyTheImageCounts)
{
    PrivateImage copy;
    ASSERT_TRUE(copy.prepare(image));
    EXPECT_TRUE(copy.holds(image));
    {
        QFile file(copy.path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(1000);
        file.write("X");
    }
    EXPECT_FALSE(copy.holds(image)) << "one changed byte";

    // A link in its place is not followed, neither to check nor to write.
    const QString decoy = root.filePath("decoy.bin");
    writeFile(decoy, image);
    ASSERT_TRUE(QFile::remove(copy.path()));
    ASSERT_TRUE(QFile::link(decoy, copy.path()));
    EXPECT_FALSE(copy.holds(image));
    ASSERT_TRUE(copy.prepare(image));
    EXPECT_FALSE(QFileInfo(copy.path()).isSymLink());
    EXPECT_EQ(readFile(decoy), image);
}

//! Writes a decoy of 0xAA bytes of the image's length with system calls only.
bool writeDecoy(const char *path)
{
    static const std::string bytes(kImageSize, '\xaa');
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0)
    {
        ::close(fd);
    }
    return ok;
}

// Exit codes of the other user's process.
enum AttackResult
{
    kAllRefused = 0,
    kSomeSucceeded = 1,
    kCannotBecomeAnotherUser = 2,
    kCannotReachItsOwnDirectory = 3
};

class ImageSwap : public WindowTest
{
protected:
    //! One successful update with the default one-second polling, so that an
    //! attack goes on for seconds around the write; @a clicked runs right
    //! after the click, once the private copy exists.
    void update(const std::function<void()> &clicked = [] {})
    {
        open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
        QSignalSpy progress(window.get(), &MainWindow::progressShown);
        startUpdate();
        clicked();
        ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs)) << "page " << page();
        EXPECT_TRUE(flashHolds("smoked"));
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_EQ(progress.last().at(0).toInt(), 100);
        EXPECT_EQ(labelText(*window, "lblFinishedVersion"), "0.5.20");
        EXPECT_FALSE(QFileInfo::exists(window->updateFilePath())) << "the image copy is deleted after the write";
        EXPECT_FALSE(noticeOpen());
    }
};

TEST_F(ImageSwap, RenamesOverTheOldPlaceInTheCurrentDirectoryChangeNothing)
{
    const QByteArray old = QDir::current().filePath("updatefile.bin").toLocal8Bit();
    const QByteArray staging = dir.filePath("decoy.tmp").toLocal8Bit();
    std::atomic<bool> stop{ false };
    std::atomic<int> swaps{ 0 };
    std::thread attacker([&] {
        while (!stop)
        {
            swaps += writeDecoy(staging.constData()) && ::rename(staging.constData(), old.constData()) == 0;
        }
    });
    update();
    stop = true;
    attacker.join();
    EXPECT_GT(swaps.load(), 0) << "the attack ran";
}

TEST_F(ImageSwap, AnotherUserCannotReplaceOrRewriteThePrivateCopy)
{
    if (::geteuid() != 0)
    {
        GTEST_SKIP() << "becoming another user needs root";
    }
    // A base that every user can enter, as the system's temporary directory:
    // only the private directory's own mode keeps the other user out.
    QTemporaryDir base(QDir::tempPath() + "/vorn-swap-XXXXXX");
    ASSERT_TRUE(base.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 01777), 0);
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", base.path().toUtf8());

    int stopPipe[2];
    ASSERT_EQ(::pipe(stopPipe), 0);
    pid_t attacker = -1;
    update([&] {
        const QByteArray target = window->updateFilePath().toLocal8Bit();
        const QByteArray decoy = (base.path() + "/decoy.bin").toLocal8Bit();
        ASSERT_FALSE(target.isEmpty());
        attacker = ::fork();
        ASSERT_GE(attacker, 0);
        if (attacker != 0)
        {
            ::close(stopPipe[0]);
            return;
        }
        // The other user: only system calls from here on.
        ::close(stopPipe[1]);
        ::fcntl(stopPipe[0], F_SETFL, O_NONBLOCK);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
        {
            ::_exit(kCannotBecomeAnotherUser);
        }
        int result = kAllRefused;
        char byte;
        while (::read(stopPipe[0], &byte, 1) < 0 && errno == EAGAIN)
        {
            if (!writeDecoy(decoy.constData()))
            {
                ::_exit(kCannotReachItsOwnDirectory);
            }
            const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC);
            if (fd >= 0 || ::rename(decoy.constData(), target.constData()) == 0 || ::unlink(target.constData()) == 0)
            {
                result = kSomeSucceeded;
            }
            if (fd >= 0)
            {
                ::close(fd);
            }
            ::usleep(200);
        }
        ::_exit(result);
    });
    ASSERT_GT(attacker, 0);
    ::close(stopPipe[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(attacker, &status, 0), attacker);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kAllRefused);
}

//! What may stand at the name the image copy once had in the current directory.
enum class Planted
{
    NonEmptyDirectory,
    LinkToADecoy,
    //! Stands for a file the updater could not remove (an immutable one needs
    //! privileges that CI's root may not have on its file system).
    ReadOnlyFile,
    //! Nobody, not even root, can create a file there.
    RemovedCurrentDirectory
};

class OldImagePlace : public ImageSwap, public ::testing::WithParamInterface<Planted>
{
};

TEST_P(OldImagePlace, WhateverStandsThereIsLeftAloneAndOnlyTheImageReachesTheController)
{
    // A comma in the current directory does not matter either.
    ASSERT_TRUE(QDir(dir.path()).mkdir("work,1"));
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("work,1")));
    const QString old = QDir::current().filePath("updatefile.bin");
    const QString decoy = dir.filePath("decoy.bin");
    writeFile(decoy, "not a firmware image");
    switch (GetParam())
    {
    case Planted::NonEmptyDirectory:
        ASSERT_TRUE(QDir().mkpath(old + "/inside"));
        break;
    case Planted::LinkToADecoy:
        ASSERT_TRUE(QFile::link(decoy, old));
        break;
    case Planted::ReadOnlyFile:
        ASSERT_TRUE(QFile::copy(decoy, old));
        ASSERT_TRUE(QFile::setPermissions(old, QFile::ReadOwner));
        break;
    case Planted::RemovedCurrentDirectory:
        ASSERT_TRUE(QDir(dir.path()).rmdir("work,1"));
        break;
    }
    const QFileInfo before(old);
    update();
    const QFileInfo after(old);
    EXPECT_EQ(after.isDir(), before.isDir());
    EXPECT_EQ(after.isSymLink(), before.isSymLink());
    EXPECT_EQ(after.lastModified(), before.lastModified());
    EXPECT_EQ(readFile(decoy), "not a firmware image");
    EXPECT_FALSE(window->updateFilePath().startsWith(dir.filePath("work,1")));
}

std::string plantedName(const ::testing::TestParamInfo<Planted> &info)
{
    const char *const names[] = { "NonEmptyDirectory", "LinkToADecoy", "ReadOnlyFile", "RemovedCurrentDirectory" };
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AtTheOldPlace, OldImagePlace,
                         ::testing::Values(Planted::NonEmptyDirectory, Planted::LinkToADecoy, Planted::ReadOnlyFile,
                                           Planted::RemovedCurrentDirectory),
                         plantedName);

TEST_F(ImageSwap, WithoutAPlaceForTheImageNothingIsErasedAndTheUserCanTryAgain)
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
    ASSERT_TRUE(noticeOpen());
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
