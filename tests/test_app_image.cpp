// The private copy of the image that the engine writes: where it lives, what
// counts as the image, that nothing standing at the old place in the current
// directory changes what the controller receives, and that without a place
// for the copy nothing is erased.
#include "window/privateimage.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace windowtest;

//! A directory of this user's that nobody else may enter.
bool isPrivateDirectory(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700;
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
        EXPECT_TRUE(isPrivateDirectory(directory));
        EXPECT_EQ(copy.path(), directory + "/updatefile.bin");
        EXPECT_EQ(readFile(copy.path()), image);
        copy.remove();
        EXPECT_FALSE(QFileInfo::exists(copy.path()));
    }
    EXPECT_FALSE(QFileInfo::exists(directory)) << "removed with everything in it";

    // A runtime directory where others may rename what is in it is passed over.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0777), 0);
    PrivateImage copy;
    ASSERT_TRUE(copy.prepare(image));
    EXPECT_EQ(QFileInfo(copy.directory()).absolutePath(), temp);
    EXPECT_TRUE(isPrivateDirectory(copy.directory()));
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

TEST_F(PrivateImageTest, RenamingTheDirectoriesAboveTheCopyChangesNothingTheEngineReads)
{
    PrivateImage copy;
    ASSERT_TRUE(copy.prepare(image));
    const QString made = copy.directory();
    // Everything above the copy is moved away and a decoy put in its place.
    ASSERT_TRUE(QDir().rename(runtime, root.filePath("moved")));
    ASSERT_TRUE(QDir().mkpath(made));
    writeFile(made + "/updatefile.bin", "decoy");

    EXPECT_TRUE(copy.holds(image));
    EXPECT_EQ(readFile(copy.enginePath()), image);
    EXPECT_FALSE(copy.enginePath().startsWith(runtime));
}

TEST_F(PrivateImageTest, OwnerAndModeAreCheckedAgainBeforeTheWrite)
{
    PrivateImage copy;
    ASSERT_TRUE(copy.prepare(image));
    ASSERT_EQ(::chmod(QFile::encodeName(copy.directory()).constData(), 0755), 0);
    EXPECT_FALSE(copy.holds(image)) << "a directory others may enter";
    ASSERT_EQ(::chmod(QFile::encodeName(copy.directory()).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(copy.path()).constData(), 0644), 0);
    EXPECT_FALSE(copy.holds(image)) << "a file others may read";
    ASSERT_TRUE(copy.prepare(image)) << "a new copy is made";
    EXPECT_TRUE(copy.holds(image));
}

TEST_F(PrivateImageTest, ABaseOwnedByAnotherUserIsRefusedAndNamed)
{
    if (::geteuid() != 0)
    {
        GTEST_SKIP() << "needs root to give the directory to another user";
    }
    // Another user's directory that this user may write to, as a TMPDIR of
    // mode 0755 is to root.
    qunsetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(::chown(QFile::encodeName(temp).constData(), 65534, 65534), 0);
    PrivateImage copy;
    EXPECT_FALSE(copy.prepare(image));
    EXPECT_EQ(copy.problems(), QStringList{ temp + ": owned by another user" });
    EXPECT_TRUE(QDir(temp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty()) << "nothing made there";

    // Root's own sticky directory, like /tmp, is fine.
    ASSERT_EQ(::chown(QFile::encodeName(temp).constData(), 0, 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(temp).constData(), 01777), 0);
    EXPECT_TRUE(copy.prepare(image));
    EXPECT_EQ(QFileInfo(copy.directory()).absolutePath(), temp);
}

//! What may stand at the name the image copy once had in the current directory.
struct Planted
{
    const char *name;
    //! Plants it at @a old; @a decoy is a file that is no image.
    void (*plant)(const QString &old, const QString &decoy);
};

void PrintTo(const Planted &planted, std::ostream *out)
{
    *out << planted.name;
}

const Planted kPlanted[] = {
    { "NonEmptyDirectory", [](const QString &old, const QString &) { ASSERT_TRUE(QDir().mkpath(old + "/inside")); } },
    { "LinkToADecoy", [](const QString &old, const QString &decoy) { ASSERT_TRUE(QFile::link(decoy, old)); } },
    // Nobody, not even root, can create a file there.
    { "RemovedCurrentDirectory",
      [](const QString &old, const QString &) { ASSERT_TRUE(QDir().rmdir(QFileInfo(old).absolutePath())); } },
};

class OldImagePlace : public WindowTest, public ::testing::WithParamInterface<Planted>
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
    GetParam().plant(old, decoy);
    // Read now: a file information reads the file only when first asked.
    const QFileInfo planted(old);
    const bool wasDir = planted.isDir();
    const bool wasSymLink = planted.isSymLink();
    const QDateTime modified = planted.lastModified();

    openFast({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    startUpdate();
    EXPECT_TRUE(isPrivateDirectory(QFileInfo(window->updateFilePath()).absolutePath()));
    ASSERT_TRUE(waitForPage(4)) << "page " << page();
    EXPECT_TRUE(flashHolds("smoked"));
    EXPECT_EQ(labelText(*window, "lblFinishedVersion"), "0.5.20");
    EXPECT_FALSE(QFileInfo::exists(window->updateFilePath())) << "the image copy is deleted after the write";
    EXPECT_FALSE(noticeOpen());

    const QFileInfo after(old);
    EXPECT_EQ(after.isDir(), wasDir);
    EXPECT_EQ(after.isSymLink(), wasSymLink);
    EXPECT_EQ(after.lastModified(), modified);
    EXPECT_EQ(readFile(decoy), "not a firmware image");
    EXPECT_FALSE(window->updateFilePath().startsWith(dir.filePath("work,1")));
}

INSTANTIATE_TEST_SUITE_P(AtTheOldPlace, OldImagePlace, ::testing::ValuesIn(kPlanted),
                         [](const ::testing::TestParamInfo<Planted> &info) { return std::string(info.param.name); });

using ImageUpdate = WindowTest;

TEST_F(ImageUpdate, WithoutAPlaceForTheImageNothingIsErasedAndTheUserCanTryAgain)
{
    // No usable runtime directory, and a temporary directory that cannot hold one.
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", dir.filePath("missing/tmp").toUtf8());
    open({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    ASSERT_TRUE(waitForPage(2));
    const QByteArray oldFlash = readFile(flash);

    window->on_pushButton_clicked();
    ASSERT_TRUE(noticeOpen());
    EXPECT_TRUE(window->notice()->text().startsWith("The firmware image could not be prepared, so nothing on the "
                                                    "controller was changed. Tried: " +
                                                    dir.filePath("missing/tmp") + ": No such file or directory."))
        << window->notice()->text().toStdString();
    EXPECT_EQ(page(), 2) << "the update is still offered";
    QTest::qWait(2500);
    EXPECT_EQ(readFile(flash), oldFlash) << "nothing was erased";

    window->notice()->accept();
    qputenv("TMPDIR", dir.path().toUtf8());
    window->on_pushButton_clicked();
    ASSERT_TRUE(waitForPage(4, 4 * kStepWaitMs));
    EXPECT_TRUE(flashHolds("smoked"));
}

} // namespace
