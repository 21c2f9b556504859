// The simulator build's unattended walkthrough, run as its own program: it
// must get past a refused erase, finish the update, leave pictures of the
// pages and of the message, and leave the variant's embedded image in the
// controller's flash. The production build's walkthrough runs for every
// variant in test_hidraw.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList logsIn(const QString &home)
{
    const QDir logs(home + "/.local/state/kelvo-updater");
    QStringList paths;
    for (const QString &name : logs.entryList({ "*.log" }, QDir::Files, QDir::Name))
    {
        paths << logs.filePath(name);
    }
    return paths;
}

//! The environment of a walkthrough in @a dir: off screen, its home (and so
//! its logs) in dir/home, a black controller with firmware 0.5.19 whose flash
//! is dir/flash.bin, no device timing and no faults.
QProcessEnvironment walkthroughEnvironment(const QTemporaryDir &dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", dir.filePath("home"));
    for (const char *name : { "XDG_STATE_HOME", "VORN_SIM_TIMING", "VORN_SIM_FAULT", "VORN_SIM_VARIANT",
                              "QT_LOGGING_RULES" })
    {
        environment.remove(name);
    }
    environment.insert("VORN_SIM_VERSION", "0.5.19");
    environment.insert("VORN_SIM_FLASH", dir.filePath("flash.bin"));
    return environment;
}

//! Runs the walkthrough in @a dir, its pictures in dir/pictures; whether it
//! ended within its limit and a margin.
bool runWalkthrough(QProcess &updater, const QTemporaryDir &dir, const QProcessEnvironment &environment,
                    int limitSeconds)
{
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(dir.path());
    updater.start(VORN_UPDATER_SIM, { "--walkthrough", dir.filePath("pictures"), "--walkthrough-limit",
                                      QString::number(limitSeconds) });
    return updater.waitForFinished((limitSeconds + 10) * 1000);
}

TEST(Walkthrough, ClosesTheMessageOfARefusedEraseClicksUpdateAgainAndFinishes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The logs go to the home folder when no state folder is named.
    QProcessEnvironment environment = walkthroughEnvironment(dir);
    environment.insert("LANGUAGE", "en");
    environment.insert("VORN_SIM_VARIANT", "light_gray");
    // The controller refuses the first erase only.
    environment.insert("VORN_SIM_FAULT", "status:flash-erase-region:105");
    QProcess updater;
    updater.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(runWalkthrough(updater, dir, environment, 90));
    const QByteArray output = updater.readAllStandardOutput();
    EXPECT_EQ(updater.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(updater.exitCode(), 0) << output.right(2000).toStdString();

    EXPECT_TRUE(output.contains("walkthrough: message: The controller did not confirm that its old firmware was "
                                "erased. The update did not finish. Unplug the controller, hold the left stick, "
                                "plug it in again, then click UPDATE."));
    EXPECT_EQ(output.count("Inject command 'flash-erase-region'"), 2) << "the log texts go to standard output";

    const QStringList saved = QDir(dir.filePath("pictures")).entryList({ "*.png" }, QDir::Files, QDir::Name);
    for (const char *page : { "pageConnectController", "pageVersionLower", "pageUpdating", "pageFinished", "notice" })
    {
        EXPECT_FALSE(saved.filter(page).isEmpty()) << "no picture of " << page;
    }
    EXPECT_FALSE(saved.filter("pageUpdating-").isEmpty()) << "no picture at half progress";

    const QByteArray image = readFile(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_light_gray.bin");
    ASSERT_EQ(image.size(), 458764);
    EXPECT_EQ(readFile(dir.filePath("flash.bin")).left(image.size()), image);

    // One log per update: the refused one, named in its message, and the one that finished.
    const QStringList logs = logsIn(dir.filePath("home"));
    ASSERT_EQ(logs.size(), 2);
    EXPECT_TRUE(output.contains(("kept in " + logs.first()).toUtf8()));
    EXPECT_TRUE(readFile(logs.first()).trimmed().endsWith("then click UPDATE."));
    const QString log = QString::fromUtf8(readFile(logs.last()));
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(logs.last()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_FALSE(log.contains('\r'));
    const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\S* ");
    for (const QString &line : log.split('\n', Qt::SkipEmptyParts))
    {
        EXPECT_TRUE(stamped.match(line).hasMatch()) << line.toStdString();
    }
    EXPECT_TRUE(log.contains("Updater: kelvo-updater "));
    EXPECT_TRUE(log.contains("Firmware in the controller: 0.5.19"));
    EXPECT_TRUE(log.contains("Firmware to write: 0.5.20"));
    int previous = -1;
    for (const char *step : { "Version: 13 00 05 00 00 00", "Inject command 'flash-erase-region'",
                              "Inject command 'write-memory'", "(1/1)50%", "Wrote 458764 of 458764 bytes.",
                              "Inject command 'reset'" })
    {
        const int at = log.indexOf(step);
        EXPECT_GT(at, previous) << step;
        previous = at;
    }
    for (int percent = 0; percent <= 100; ++percent)
    {
        // The write's percentages, and the version read's 100 %.
        const int expected = percent == 100 ? 2 : 1;
        EXPECT_EQ(log.count(QRegularExpression(QString(" \\(1/1\\) *%1%\n").arg(percent))), expected) << percent;
    }
}

TEST(Walkthrough, SpeaksTheLanguageTheUserAsksFor)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcessEnvironment environment = walkthroughEnvironment(dir);
    environment.insert("LANGUAGE", "de");
    environment.insert("VORN_SIM_FAULT", "status:flash-erase-region:105");
    QProcess updater;
    updater.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(runWalkthrough(updater, dir, environment, 90));
    const QString output = QString::fromUtf8(updater.readAllStandardOutput());
    EXPECT_EQ(updater.exitCode(), 0);
    EXPECT_TRUE(output.contains("walkthrough: message: Der Controller hat nicht bestätigt, dass seine alte Firmware "
                                "gelöscht wurde."))
        << output.right(1500).toStdString();
    EXPECT_TRUE(output.contains("Inject command 'flash-erase-region'")) << "the engine's texts stay as they are";
}

TEST(Walkthrough, AStartThroughAWholeUpdateWritesNothingOnStandardError)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A desktop session has a private runtime directory; without one Qt itself warns.
    ASSERT_TRUE(QDir(dir.path()).mkdir("runtime"));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment environment = walkthroughEnvironment(dir);
    environment.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    QProcess updater;
    ASSERT_TRUE(runWalkthrough(updater, dir, environment, 60));
    EXPECT_EQ(updater.exitCode(), 0);
    EXPECT_EQ(updater.readAllStandardError().toStdString(), "");
}

} // namespace
