// The simulator build as a program of its own: one window per session, a
// quit signal during the write, and a runtime directory that is full.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

#include <signal.h>
#include <sys/stat.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool flashHolds(const QString &flash, const char *variant)
{
    const QByteArray image = readFile(QString(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_%1.bin").arg(variant));
    return image.size() == 458764 && readFile(flash).left(image.size()) == image;
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 50)
    {
        if (condition())
        {
            return true;
        }
        QThread::msleep(50);
    }
    return condition();
}

class Lifecycle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(runtime) && QDir().mkpath(temp));
        ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", runtime);
        environment.insert("TMPDIR", temp);
        environment.insert("VORN_SIM_VARIANT", "smoked");
        environment.insert("VORN_SIM_FLASH", flash);
        environment.remove("VORN_SIM_TIMING");
        environment.remove("VORN_SIM_FAULT");
    }

    //! Starts the updater with @a arguments (the process keeps its output).
    void start(QProcess &process, const QStringList &arguments, const QString &program = VORN_UPDATER_SIM)
    {
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    //! Reads @a process's output until it holds @a text.
    static bool waitForOutput(QProcess &process, QByteArray &output, const QByteArray &text, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!output.contains(text) && !clock.hasExpired(timeoutMs))
        {
            process.waitForReadyRead(100);
            output += process.readAll();
        }
        return output.contains(text);
    }

    QTemporaryDir dir;
    const QString runtime = dir.filePath("runtime");
    const QString temp = dir.filePath("temp");
    const QString flash = dir.filePath("flash.bin");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(Lifecycle, ASecondStartAsksTheRunningWindowForwardAndEndsWithZero)
{
    // No controller: the window only polls.
    environment.insert("VORN_SIM_VARIANT", "none");
    QProcess first;
    start(first, {});
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(runtime + "/kelvo-updater.socket"); }, 10000));

    QProcess second;
    start(second, {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // Asked to, a window runs beside it.
    QProcess beside;
    start(beside, { "--new-instance" });
    EXPECT_FALSE(beside.waitForFinished(1500)) << beside.readAll().toStdString();

    // A quit signal with no update running ends a window at once.
    for (QProcess *window : { &first, &beside })
    {
        ::kill(static_cast<pid_t>(window->processId()), SIGTERM);
        ASSERT_TRUE(window->waitForFinished(5000));
        EXPECT_EQ(window->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(window->exitCode(), 0);
    }

    // The lock of a window that is gone does not stop the next one.
    QProcess next;
    start(next, {});
    EXPECT_FALSE(next.waitForFinished(1500)) << next.readAll().toStdString();
    next.kill();
    next.waitForFinished();
}

TEST_F(Lifecycle, SigtermDuringTheWriteFinishesTheUpdateResetsAndLeavesNoFileBehind)
{
    environment.insert("VORN_SIM_TIMING", "full-speed");
    QProcess updater;
    start(updater, { "--walkthrough", dir.filePath("pictures"), "--walkthrough-limit", "60",
                     "--walkthrough-hold", "30" });
    QByteArray output;
    ASSERT_TRUE(waitForOutput(updater, output, "(1/1) 5%", 30000)) << output.right(2000).toStdString();
    ::kill(static_cast<pid_t>(updater.processId()), SIGTERM);

    ASSERT_TRUE(updater.waitForFinished(40000));
    output += updater.readAll();
    EXPECT_EQ(updater.exitStatus(), QProcess::NormalExit) << "not ended by the signal itself";
    EXPECT_EQ(updater.exitCode(), 0);
    EXPECT_TRUE(output.contains("Inject command 'reset'")) << output.right(2000).toStdString();
    EXPECT_TRUE(flashHolds(flash, "smoked"));
    EXPECT_TRUE(QDir(temp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_TRUE(QDir(runtime).entryList({ "kelvo-updater-*" }, QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty())
        << "the private directory is gone";
}

TEST_F(Lifecycle, AFullRuntimeDirectoryGivesWayToTheTemporaryOne)
{
    // A small file system of its own for the runtime directory, in a mount
    // namespace of the updater's own.
    if (QProcess::execute("unshare", { "-m", "true" }) != 0)
    {
        GTEST_SKIP() << "no mount namespace here";
    }
    QProcess updater;
    start(updater,
          { "-m", "sh", "-c", "mount -t tmpfs -o size=128k,mode=0700 tmpfs \"$XDG_RUNTIME_DIR\" && exec \"$0\" \"$@\"",
            VORN_UPDATER_SIM, "--walkthrough", dir.filePath("pictures"), "--walkthrough-limit", "40" },
          "unshare");
    ASSERT_TRUE(updater.waitForFinished(60000));
    const QByteArray output = updater.readAll();
    EXPECT_EQ(updater.exitCode(), 0) << output.right(2000).toStdString();
    EXPECT_TRUE(output.contains("walkthrough: finished page reached"));
    EXPECT_FALSE(output.contains("could not be prepared"));
    EXPECT_TRUE(flashHolds(flash, "smoked"));
}

} // namespace
