// The simulator build's unattended walkthrough, run as its own program: it
// must get past a refused erase, finish the update, leave pictures of the
// pages and of the message, and leave the variant's embedded image in the
// controller's flash. The production build's walkthrough runs for every
// variant in test_hidraw.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Walkthrough, ClosesTheMessageOfARefusedEraseClicksUpdateAgainAndFinishes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VORN_SIM_VARIANT", "light_gray");
    environment.insert("VORN_SIM_VERSION", "0.5.19");
    environment.insert("VORN_SIM_FLASH", dir.filePath("flash.bin"));
    // The controller refuses the first erase only.
    environment.insert("VORN_SIM_FAULT", "status:flash-erase-region:105");
    environment.remove("VORN_SIM_TIMING");
    QProcess updater;
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(dir.path());
    updater.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    updater.start(VORN_UPDATER_SIM, { "--walkthrough", dir.filePath("pictures"), "--walkthrough-limit", "90" });
    ASSERT_TRUE(updater.waitForFinished(100000));
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
}

TEST(Walkthrough, AStartThroughAWholeUpdateWritesNothingOnStandardError)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A desktop session has a private runtime directory; without one Qt itself warns.
    ASSERT_TRUE(QDir(dir.path()).mkdir("runtime"));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    environment.insert("VORN_SIM_VERSION", "0.5.19");
    environment.insert("VORN_SIM_FLASH", dir.filePath("flash.bin"));
    for (const char *name : { "VORN_SIM_TIMING", "VORN_SIM_FAULT", "VORN_SIM_VARIANT", "QT_LOGGING_RULES" })
    {
        environment.remove(name);
    }
    QProcess updater;
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(dir.path());
    updater.start(VORN_UPDATER_SIM, { "--walkthrough", dir.filePath("pictures"), "--walkthrough-limit", "60" });
    ASSERT_TRUE(updater.waitForFinished(70000));
    EXPECT_EQ(updater.exitCode(), 0);
    EXPECT_EQ(updater.readAllStandardError().toStdString(), "");
}

} // namespace
