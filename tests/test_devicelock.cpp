// One writer per controller: the lock between processes, between users, with
// a holder that dies, and within one process.
#include "driver/devicelock.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using vorn::DeviceLock;

namespace {

//! Another process that takes and releases the lock of one device when told.
//! It is forked before the test takes any lock, so it inherits none.
class OtherProcess
{
public:
    explicit OtherProcess(const std::string &devicePath, uid_t user = ::geteuid())
    {
        int toChild[2];
        int toParent[2];
        if (::pipe(toChild) != 0 || ::pipe(toParent) != 0)
        {
            ADD_FAILURE() << "no pipe";
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0)
        {
            ::close(toChild[1]);
            ::close(toParent[0]);
            serve(devicePath, user, toChild[0], toParent[1]);
        }
        ::close(toChild[0]);
        ::close(toParent[1]);
        m_commands = toChild[1];
        m_answers = toParent[0];
    }

    ~OtherProcess()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_commands);
        ::close(m_answers);
    }

    //! Whether it got the lock.
    bool take() { return ask('t') == '1'; }
    void release() { ask('r'); }
    void kill()
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    [[noreturn]] static void serve(const std::string &devicePath, uid_t user, int commands, int answers)
    {
        if (user != ::geteuid() && (::setgid(65534) != 0 || ::setuid(user) != 0))
        {
            ::_exit(3);
        }
        std::unique_ptr<DeviceLock> held;
        char command = 0;
        while (::read(commands, &command, 1) == 1)
        {
            char answer = '.';
            if (command == 't')
            {
                held = DeviceLock::tryLock(devicePath);
                answer = held ? '1' : '0';
            }
            else
            {
                held.reset();
            }
            if (::write(answers, &answer, 1) != 1)
            {
                break;
            }
        }
        ::_exit(0);
    }

    char ask(char command)
    {
        char answer = 'x';
        EXPECT_EQ(::write(m_commands, &command, 1), 1);
        EXPECT_EQ(::read(m_answers, &answer, 1), 1) << "the other process ended";
        return answer;
    }

    pid_t m_pid = -1;
    int m_commands = -1;
    int m_answers = -1;
};

const std::string kSimPath = "\\\\?\\hid#vid_3b7c&pid_5e03#vornsim#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST(DeviceLock, AnotherProcessIsRefusedWithAReasonThatNamesTheDeviceUntilTheHolderReleasesIt)
{
    OtherProcess other(kSimPath);
    ASSERT_TRUE(other.take());

    std::string reason;
    EXPECT_EQ(DeviceLock::tryLock(kSimPath, &reason), nullptr);
    EXPECT_EQ(reason.rfind(vorn::kDeviceBusyReason, 0), 0u) << reason;
    EXPECT_NE(reason.find(kSimPath), std::string::npos) << reason;
    EXPECT_EQ(DeviceLock::tryLock(kSimPath), nullptr) << "a missing reason is no problem";
    EXPECT_NE(DeviceLock::tryLock(kSimPath + "-another"), nullptr) << "another device is free";

    other.release();
    std::unique_ptr<DeviceLock> mine = DeviceLock::tryLock(kSimPath, &reason);
    ASSERT_NE(mine, nullptr) << reason;
    EXPECT_EQ(mine->devicePath(), kSimPath);
    EXPECT_FALSE(other.take()) << "and now it is ours";
}

TEST(DeviceLock, WithinOneProcessItIsReentrantAndFreeOnlyOnceTheLastHolderReleasesIt)
{
    OtherProcess other(kSimPath);
    std::unique_ptr<DeviceLock> window = DeviceLock::tryLock(kSimPath);
    ASSERT_NE(window, nullptr);
    std::unique_ptr<DeviceLock> run = DeviceLock::tryLock(kSimPath);
    ASSERT_NE(run, nullptr) << "a run inside the window takes it too";

    window.reset();
    EXPECT_FALSE(other.take()) << "still held by the run";
    run.reset();
    EXPECT_TRUE(other.take());
    EXPECT_EQ(DeviceLock::tryLock(kSimPath), nullptr) << "nothing of ours was left counted";
}

TEST(DeviceLock, VanishesWithAKilledHolder)
{
    OtherProcess other(kSimPath);
    ASSERT_TRUE(other.take());
    ASSERT_EQ(DeviceLock::tryLock(kSimPath), nullptr);
    other.kill();
    EXPECT_NE(DeviceLock::tryLock(kSimPath), nullptr);
}

TEST(DeviceLock, ANodeIsOneDeviceHoweverItsPathIsSpelled)
{
    simtest::TempDir dir;
    const std::string node = dir.file("hidraw0");
    std::ofstream(node).put('\0');
    ASSERT_EQ(::symlink(node.c_str(), dir.file("by-id").c_str()), 0);

    OtherProcess other(dir.file("by-id"));
    ASSERT_TRUE(other.take());
    EXPECT_EQ(DeviceLock::tryLock(node), nullptr);
    EXPECT_EQ(DeviceLock::tryLock(dir.file("./hidraw0")), nullptr);
    other.release();
    EXPECT_NE(DeviceLock::tryLock(node), nullptr);
}

TEST(DeviceLock, HoldsBetweenUsersInTheSharedDirectory)
{
    if (::geteuid() != 0)
    {
        GTEST_SKIP() << "needs root to drop to another user";
    }
    const passwd *nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);

    // Nobody's process takes it first and creates the file; root cannot take
    // it. Then the other way round.
    OtherProcess other(kSimPath, nobody->pw_uid);
    ASSERT_TRUE(other.take());
    EXPECT_EQ(DeviceLock::tryLock(kSimPath), nullptr);
    other.release();

    std::unique_ptr<DeviceLock> mine = DeviceLock::tryLock(kSimPath);
    ASSERT_NE(mine, nullptr);
    EXPECT_FALSE(other.take());
    mine.reset();
    EXPECT_TRUE(other.take());
}

TEST(DeviceLock, ADirectoryThatIsNotSafeIsRefusedWithAReasonThatSaysWhatToCheck)
{
    simtest::TempDir dir;
    const std::string foreign = dir.file("foreign");
    ASSERT_EQ(::mkdir(foreign.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(foreign.c_str(), 0777), 0) << "not sticky";
    if (::geteuid() == 0)
    {
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }
    const std::string before = std::getenv("VORN_LOCK_DIR") ? std::getenv("VORN_LOCK_DIR") : "";
    ::setenv("VORN_LOCK_DIR", foreign.c_str(), 1);
    std::string reason;
    const bool taken = DeviceLock::tryLock(kSimPath, &reason) != nullptr;
    ::setenv("VORN_LOCK_DIR", before.c_str(), 1);

    if (::geteuid() == 0)
    {
        EXPECT_FALSE(taken) << "another user's directory";
        EXPECT_EQ(reason.rfind("The controller at " + kSimPath + " could not be reserved", 0), 0u) << reason;
        EXPECT_NE(reason.find("VORN_LOCK_DIR=" + foreign), std::string::npos) << reason;
    }
    else
    {
        EXPECT_TRUE(taken) << "this user's own directory";
    }
}

TEST(DeviceLock, ThePlantedLinkAtTheLockFileIsNotFollowed)
{
    simtest::TempDir dir;
    const std::string target = dir.file("victim");
    std::ofstream(target) << "keep";
    // Find the file's name by taking the lock once.
    const std::string lockDir = std::getenv("VORN_LOCK_DIR");
    const std::string device = dir.file("device");
    std::ofstream(device).put('\0');
    struct stat info = {};
    ASSERT_EQ(::stat(device.c_str(), &info), 0);
    char name[96];
    std::snprintf(name, sizeof name, "/kelvo-device-node-%jx-%jx.lock", static_cast<uintmax_t>(info.st_dev),
                  static_cast<uintmax_t>(info.st_ino));
    ASSERT_EQ(::symlink(target.c_str(), (lockDir + name).c_str()), 0);

    std::string reason;
    EXPECT_EQ(DeviceLock::tryLock(device, &reason), nullptr);
    EXPECT_NE(reason.find("could not be reserved"), std::string::npos) << reason;
    EXPECT_EQ(simtest::readFile(target), "keep");
    ::unlink((lockDir + name).c_str());
}

TEST(EnumeratedDevicePath, IsThePathOfTheListedControllerAndEmptyWithoutOne)
{
    simtest::SimEnvironment sim({ { "VORN_SIM_VARIANT", "black" } });
    EXPECT_EQ(vorn::enumeratedDevicePath(0x3b7c, 0x5e03), kSimPath);
    EXPECT_EQ(vorn::enumeratedDevicePath(0x3b7c, 0x5e0d), "") << "another variant is not plugged in";
    EXPECT_EQ(vorn::enumeratedDevicePath(0, 0), "") << "a zero ID would list any device";
}

} // namespace
