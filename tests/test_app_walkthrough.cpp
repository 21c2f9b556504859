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

//! Runs the simulator build's walkthrough in @a dir against a controller set
//! up by @a variables; its standard output, after checking that it ended with 0.
QByteArray runWalkthrough(const QTemporaryDir &dir, std::initializer_list<std::pair<const char *, QString>> variables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VORN_SIM_FLASH", dir.filePath("flash.bin"));
    environment.remove("VORN_SIM_FAULT");
    environment.remove("VORN_SIM_TIMING");
    for (const auto &variable : variables)
    {
        environment.insert(variable.first, variable.second);
    }
    QProcess updater;
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(dir.path());
    updater.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    updater.start(VORN_UPDATER_SIM, { "--walkthrough", dir.filePath("pictures"), "--walkthrough-limit", "90" });
    const bool finished = updater.waitForFinished(100000);
    const QByteArray output = updater.readAllStandardOutput();
    EXPECT_TRUE(finished);
    EXPECT_EQ(updater.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(updater.exitCode(), 0) << output.right(2000).toStdString();
    return output;
}

QByteArray image(const char *variant)
{
    return readFile(QString(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_%1.bin").arg(variant));
}

using Walkthrough = ::testing::TestWithParam<const char *>;

TEST_P(Walkthrough, LeavesTheVariantsEmbeddedImageInFlash)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray output =
        runWalkthrough(dir, { { "VORN_SIM_VARIANT", GetParam() }, { "VORN_SIM_VERSION", "0.5.19" } });
    EXPECT_TRUE(output.contains("Inject command 'write-memory'")) << "the log texts go to standard output";

    const QStringList saved = QDir(dir.filePath("pictures")).entryList({ "*.png" }, QDir::Files, QDir::Name);
    for (const char *page : { "pageConnectController", "pageVersionLower", "pageUpdating", "pageFinished" })
    {
        EXPECT_FALSE(saved.filter(page).isEmpty()) << "no picture of " << page;
    }
    EXPECT_FALSE(saved.filter("pageUpdating-").isEmpty()) << "no picture at half progress";

    ASSERT_EQ(image(GetParam()).size(), 458764);
    EXPECT_EQ(readFile(dir.filePath("flash.bin")).left(458764), image(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, Walkthrough, ::testing::Values("black", "steel_gray", "light_gray", "smoked"));

TEST(WalkthroughWithAFault, ClosesTheMessageClicksUpdateAgainAndFinishes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The controller refuses the first erase only.
    const QByteArray output = runWalkthrough(
        dir, { { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_FAULT", "status:flash-erase-region:105" } });
    EXPECT_TRUE(output.contains("walkthrough: message: The controller did not confirm that its old firmware was "
                                "erased. The update did not finish. Unplug the controller, hold the left stick, "
                                "plug it in again, then click UPDATE."));
    EXPECT_EQ(output.count("Inject command 'flash-erase-region'"), 2);
    EXPECT_EQ(readFile(dir.filePath("flash.bin")).left(458764), image("black"));
    EXPECT_FALSE(QDir(dir.filePath("pictures")).entryList({ "*notice*" }).isEmpty()) << "a picture of the message";
}

} // namespace
