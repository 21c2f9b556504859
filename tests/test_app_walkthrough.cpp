// The simulator build's unattended walkthrough, run as its own program for
// each colour variant: it must finish the update, leave pictures of the pages,
// and leave the detected variant's embedded image in the controller's flash.
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

using Walkthrough = ::testing::TestWithParam<const char *>;

TEST_P(Walkthrough, LeavesTheVariantsEmbeddedImageInFlash)
{
    const QString variant = QString::fromLatin1(GetParam());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString flash = dir.filePath("flash.bin");
    const QString pictures = dir.filePath("pictures");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VORN_SIM_VARIANT", variant);
    environment.insert("VORN_SIM_VERSION", "0.5.19");
    environment.insert("VORN_SIM_FLASH", flash);
    environment.remove("VORN_SIM_FAULT");
    environment.remove("VORN_SIM_TIMING");

    QProcess updater;
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(dir.path());
    updater.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    updater.start(VORN_UPDATER_SIM, { "--walkthrough", pictures, "--walkthrough-limit", "90" });
    ASSERT_TRUE(updater.waitForFinished(100000));
    const QByteArray output = updater.readAllStandardOutput();
    ASSERT_EQ(updater.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(updater.exitCode(), 0) << output.right(2000).toStdString();
    EXPECT_TRUE(output.contains("Inject command 'write-memory'")) << "the log texts go to standard output";

    const QStringList saved = QDir(pictures).entryList({ "*.png" }, QDir::Files, QDir::Name);
    for (const char *page : { "pageConnectController", "pageVersionLower", "pageUpdating", "pageFinished" })
    {
        EXPECT_FALSE(saved.filter(page).isEmpty()) << "no picture of " << page;
    }
    EXPECT_FALSE(saved.filter("pageUpdating-").isEmpty()) << "no picture at half progress";

    const QByteArray image = readFile(QString(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_%1.bin").arg(variant));
    ASSERT_EQ(image.size(), 458764);
    EXPECT_EQ(readFile(flash).left(image.size()), image);
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, Walkthrough, ::testing::Values("black", "steel_gray", "light_gray", "smoked"));

TEST(WalkthroughWithAFault, ClosesTheMessageClicksUpdateAgainAndFinishes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString flash = dir.filePath("flash.bin");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VORN_SIM_VARIANT", "black");
    environment.insert("VORN_SIM_FLASH", flash);
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
    ASSERT_EQ(updater.exitCode(), 0) << output.right(2000).toStdString();
    EXPECT_TRUE(output.contains("walkthrough: message: The controller did not confirm that its old firmware was "
                                "erased. The update did not finish."));
    EXPECT_EQ(output.count("Inject command 'flash-erase-region'"), 2);
    EXPECT_EQ(readFile(flash).left(458764), readFile(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_black.bin"));
    EXPECT_FALSE(QDir(dir.filePath("pictures")).entryList({ "*notice*" }).isEmpty()) << "a picture of the message";
}

} // namespace
