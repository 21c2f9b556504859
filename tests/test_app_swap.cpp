// Attempts to swap the image file while the window updates the controller:
// nothing another process does at the old place, and nothing another user
// does to the private copy, changes what the controller receives.
#include "window_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace windowtest;

// Exit codes of the other user's process.
enum AttackResult
{
    kAllRefused = 0,
    kSomeSucceeded = 1,
    kCannotBecomeAnotherUser = 2,
    kCannotReachItsOwnDirectory = 3
};

//! Writes a decoy of 0xAA bytes of the image's length under @a path.
bool writeDecoy(const char *path)
{
    static char bytes[4096];
    std::fill(std::begin(bytes), std::end(bytes), '\xaa');
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
    {
        return false;
    }
    bool ok = true;
    for (int left = kImageSize; left > 0 && ok; left -= static_cast<int>(sizeof bytes))
    {
        ok = ::write(fd, bytes, std::min<size_t>(sizeof bytes, static_cast<size_t>(left))) > 0;
    }
    ::close(fd);
    return ok;
}

class ImageSwap : public WindowTest
{
protected:
    //! Runs one update with the default one-second polling, so that the
    //! attacks go on for seconds around a write; @a clicked runs right after
    //! the click, once the private copy exists.
    void update(const std::function<void()> &clicked)
    {
        open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toUtf8() } });
        startUpdate();
        clicked();
        ASSERT_TRUE(waitForPage(4)) << "page " << page();
        EXPECT_TRUE(flashHolds("smoked"));
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
            if (writeDecoy(staging.constData()) && ::rename(staging.constData(), old.constData()) == 0)
            {
                ++swaps;
            }
        }
    });
    update([] {});
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

} // namespace
