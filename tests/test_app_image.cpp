// The private copy of the image that the engine writes: where it lives, who
// may enter its directory, and what counts as the image.
#include "privateimage.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <sys/stat.h>

namespace {

using windowtest::readFile;

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
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
        ASSERT_TRUE(copy.prepare(image));
        directory = copy.directory();
        EXPECT_EQ(QFileInfo(directory).absolutePath(), runtime);
        EXPECT_EQ(modeOf(directory), 0700u);
        EXPECT_EQ(copy.path(), directory + "/updatefile.bin");
        EXPECT_EQ(readFile(copy.path()), image);
        copy.remove();
        EXPECT_FALSE(QFileInfo::exists(copy.path()));
        EXPECT_FALSE(copy.holds(image));
    }
    EXPECT_FALSE(QFileInfo::exists(directory)) << "removed with everything in it";

    // A runtime directory others may enter is passed over.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0755), 0);
    PrivateImage copy;
    ASSERT_TRUE(copy.prepare(image));
    EXPECT_EQ(QFileInfo(copy.directory()).absolutePath(), temp);
    EXPECT_EQ(modeOf(copy.directory()), 0700u);
}

TEST_F(PrivateImageTest, NoPlaceForTheDirectoryOrNoImageMeansNoCopy)
{
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", root.filePath("missing").toUtf8());
    PrivateImage copy;
    EXPECT_FALSE(copy.prepare(image));
    qputenv("TMPDIR", temp.toUtf8());
    EXPECT_FALSE(copy.prepare(QByteArray())) << "an empty image is no firmware";
    EXPECT_TRUE(copy.prepare(image)) << "a later try finds the place";
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
    {
        QFile file(decoy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(image);
    }
    ASSERT_TRUE(QFile::remove(copy.path()));
    ASSERT_TRUE(QFile::link(decoy, copy.path()));
    EXPECT_FALSE(copy.holds(image));
    ASSERT_TRUE(copy.prepare(image));
    EXPECT_FALSE(QFileInfo(copy.path()).isSymLink());
    EXPECT_EQ(readFile(decoy), image);
}

} // namespace
