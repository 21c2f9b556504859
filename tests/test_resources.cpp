// The embedded resources as the window and the engine use them: the images
// per variant with their identity and version, pictures of the sizes the
// window stretches, and the fonts it asks for.
#include "blfwk/controller_variants.h"

#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QResource>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

constexpr int kImageSize = 458764;
constexpr int kTrailer = 0x70000;
constexpr int kProgramEnd = 0x4BAF4;

QByteArray readResource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename T>
T le(const QByteArray &data, int offset)
{
    return qFromLittleEndian<T>(data.constData() + offset);
}

} // namespace

TEST(ResourceCatalogue, StoresEveryEntryUncompressed)
{
    for (const char *directory : { ":/binaries", ":/img", ":/icon", ":/fonts", ":/cfg" })
    {
        QDirIterator it(directory, QDir::Files, QDirIterator::Subdirectories);
        EXPECT_TRUE(it.hasNext()) << directory;
        while (it.hasNext())
        {
            const QString path = it.next();
            EXPECT_EQ(QResource(path).compressionAlgorithm(), QResource::NoCompression) << path.toStdString();
        }
    }
    EXPECT_EQ(readResource(":/cfg/config.ini"), QByteArray("version=2.1.81\r\n"));
}

TEST(FirmwareImages, CarryTheLayoutVariantIdsAndVersionAndDifferOnlyInTheProductIds)
{
    const QByteArray black = readResource(":/binaries/vorn_tarsel_v_0.5.20_black.bin");
    for (const vorn::ControllerVariant &variant : vorn::kVariants)
    {
        SCOPED_TRACE(variant.name);
        const QByteArray image = readResource(QString(":/binaries/vorn_tarsel_v_0.5.20_%1.bin").arg(variant.name));
        ASSERT_EQ(image.size(), kImageSize);
        EXPECT_EQ(le<quint32>(image, 0), 0x20030000u);
        EXPECT_EQ(le<quint32>(image, 4), 0x181u);
        EXPECT_NE(image.at(kProgramEnd - 1), '\0');
        EXPECT_EQ(image.mid(kProgramEnd, kTrailer - kProgramEnd), QByteArray(kTrailer - kProgramEnd, '\0'));
        EXPECT_EQ(le<quint16>(image, kTrailer), 0x3b7c);
        EXPECT_EQ(le<quint16>(image, kTrailer + 2), variant.firmwarePid);
        EXPECT_EQ(le<quint16>(image, kTrailer + 4), variant.updatePid);
        EXPECT_EQ(image.mid(kTrailer + 6), QByteArray("\x14\x00\x05\x00\x00\x00", 6));
        EXPECT_TRUE(image.left(kTrailer + 2) == black.left(kTrailer + 2));
    }
}

TEST(ResourcePictures, PagesAndProgressFramesHaveTheSizesTheWindowStretches)
{
    for (int page = 1; page <= 5; ++page)
    {
        EXPECT_EQ(QImageReader(QString(":/img/Vorn-UpdaterApp-%1.jpg").arg(page)).size(), QSize(2067, 1778));
    }
    for (int percent = 0; percent <= 100; ++percent)
    {
        EXPECT_EQ(QImageReader(QString(":/img/pb%1.png").arg(percent)).size(), QSize(593, 30)) << percent;
    }
    EXPECT_FALSE(QImage(":/icon/icon.ico").isNull());
    EXPECT_GT(QMovie(":/img/loader.gif").frameCount(), 1) << "the loader moves";

    // Premultiplied, a fully transparent pixel is all zero whatever its colour.
    QImage transparent(QSize(114, 29), QImage::Format_ARGB32_Premultiplied);
    transparent.fill(0);
    EXPECT_EQ(QImage(":/img/transparent.png").convertToFormat(QImage::Format_ARGB32_Premultiplied), transparent);
}

TEST(ResourceFonts, RegisteredFilesExposeTheFamiliesTheWindowAsksFor)
{
    for (const char *file : { "Regular", "Heavy" })
    {
        const int id = QFontDatabase::addApplicationFont(QString(":/fonts/DINNextW1G-%1.otf").arg(file));
        EXPECT_TRUE(QFontDatabase::applicationFontFamilies(id).contains("DIN Next W1G")) << file;
    }
    // The window's bold texts find the heavy file within the same family.
    const QFontInfo bold(QFont("DIN Next W1G", 15, 75));
    EXPECT_EQ(bold.family(), "DIN Next W1G");
    EXPECT_GE(bold.weight(), 75);
    EXPECT_FALSE(QFontInfo(QFont("DIN Next W1G Medium", 18)).family().isEmpty());
}
