#include <QByteArray>
#include <QColor>
#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QResource>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>

namespace
{

constexpr int kImageSize = 458764;
constexpr int kTrailer = 0x70000;

struct Variant
{
    const char *path;
    std::uint16_t productId;
    std::uint16_t updateModeProductId;
};

const Variant kVariants[] = {
    { ":/binaries/vorn_tarsel_v_0.5.20_black.bin", 0x5e0f, 0x5e03 },
    { ":/binaries/vorn_tarsel_v_0.5.20_steel_gray.bin", 0x5e10, 0x5e0b },
    { ":/binaries/vorn_tarsel_v_0.5.20_light_gray.bin", 0x5e11, 0x5e0c },
    { ":/binaries/vorn_tarsel_v_0.5.20_smoked.bin", 0x5e12, 0x5e0d },
};

const char *const kFontStyles[] = { "Regular",      "Heavy",      "Black",      "BlackItalic", "Bold",
                                    "BoldItalic",   "HeavyItalic", "Italic",    "Light",       "LightItalic",
                                    "Medium",       "MediumItalic", "UltraLight", "UltraLightIt" };

QStringList catalogue()
{
    QStringList paths;
    for (const Variant &variant : kVariants)
    {
        paths << variant.path;
    }
    for (int page = 1; page <= 5; ++page)
    {
        paths << QString(":/img/Vorn-UpdaterApp-%1.jpg").arg(page);
    }
    paths << ":/img/btnUpdate.PNG" << ":/img/btnUpdateHover.png" << ":/img/btnClose.png"
          << ":/img/btnCloseHover.png";
    for (int percent = 0; percent <= 100; ++percent)
    {
        paths << QString(":/img/pb%1.png").arg(percent);
    }
    paths << ":/img/loader.gif" << ":/img/transparent.png" << ":/icon/icon.ico" << ":/icon/icon.icns";
    for (const char *style : kFontStyles)
    {
        paths << QString(":/fonts/DINNextW1G-%1.otf").arg(style);
    }
    paths << ":/cfg/config.ini";
    return paths;
}

QByteArray readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
    {
        return QByteArray();
    }
    return file.readAll();
}

std::uint16_t le16(const QByteArray &data, int offset)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[offset]) |
                                      static_cast<std::uint8_t>(data[offset + 1]) << 8);
}

std::uint32_t le32(const QByteArray &data, int offset)
{
    return le16(data, offset) | static_cast<std::uint32_t>(le16(data, offset + 2)) << 16;
}

QSize pictureSize(const QString &path)
{
    return QImageReader(path).size();
}

bool isBarColour(QRgb pixel)
{
    return qAbs(qRed(pixel) - 255) < 24 && qAbs(qGreen(pixel) - 143) < 40 && qBlue(pixel) < 90;
}

} // namespace

TEST(ResourceCatalogue, HoldsExactlyTheListedEntriesStoredUncompressed)
{
    const QStringList expected = catalogue();
    ASSERT_EQ(expected.size(), 133);
    for (const QString &path : expected)
    {
        const QResource resource(path);
        EXPECT_TRUE(resource.isValid()) << path.toStdString();
        EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression) << path.toStdString();
    }

    QSet<QString> found;
    for (const char *directory : { ":/binaries", ":/img", ":/icon", ":/fonts", ":/cfg" })
    {
        QDirIterator it(directory, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
        {
            found.insert(it.next());
        }
    }
    EXPECT_EQ(found, QSet<QString>(expected.begin(), expected.end()));
}

TEST(ResourceCatalogue, FileNamesAreCaseExact)
{
    EXPECT_TRUE(QFile::exists(":/img/btnUpdate.PNG"));
    EXPECT_FALSE(QFile::exists(":/img/btnUpdate.png"));
}

TEST(FirmwareImages, HaveTheImageSizeAndAVectorTableForThumbCode)
{
    for (const Variant &variant : kVariants)
    {
        const QByteArray image = readResource(variant.path);
        ASSERT_EQ(image.size(), kImageSize) << variant.path;
        EXPECT_EQ(le32(image, 0), 0x20030000u) << variant.path;
        EXPECT_EQ(le32(image, 4), 0x181u) << variant.path;
        // The program ends at 0x4BAF3 and zero padding follows up to the trailer.
        EXPECT_NE(image[0x4BAF3], '\0') << variant.path;
        EXPECT_EQ(image.mid(0x4BAF4, kTrailer - 0x4BAF4), QByteArray(kTrailer - 0x4BAF4, '\0')) << variant.path;
    }
}

TEST(FirmwareImages, TrailerCarriesTheVariantIdsAndVersion0_5_20)
{
    for (const Variant &variant : kVariants)
    {
        const QByteArray image = readResource(variant.path);
        ASSERT_EQ(image.size(), kImageSize) << variant.path;
        EXPECT_EQ(le16(image, kTrailer), 0x3b7c) << variant.path;
        EXPECT_EQ(le16(image, kTrailer + 2), variant.productId) << variant.path;
        EXPECT_EQ(le16(image, kTrailer + 4), variant.updateModeProductId) << variant.path;
        EXPECT_EQ(image.mid(kTrailer + 6, 6), QByteArray("\x14\x00\x05\x00\x00\x00", 6)) << variant.path;
    }
}

TEST(FirmwareImages, DifferOnlyInTheTwoProductIds)
{
    const QByteArray black = readResource(kVariants[0].path);
    ASSERT_EQ(black.size(), kImageSize);
    for (const Variant &variant : kVariants)
    {
        const QByteArray other = readResource(variant.path);
        ASSERT_EQ(other.size(), kImageSize) << variant.path;
        for (int offset = 0; offset < kImageSize; ++offset)
        {
            if (offset >= kTrailer + 2 && offset < kTrailer + 6)
            {
                continue;
            }
            ASSERT_EQ(other[offset], black[offset]) << variant.path << " at offset " << offset;
        }
    }
}

TEST(ResourcePictures, HaveThePixelSizesTheWindowStretches)
{
    for (int page = 1; page <= 5; ++page)
    {
        const QString path = QString(":/img/Vorn-UpdaterApp-%1.jpg").arg(page);
        EXPECT_EQ(QImageReader(path).format(), "jpeg") << path.toStdString();
        EXPECT_EQ(pictureSize(path), QSize(2067, 1778)) << path.toStdString();
    }
    EXPECT_EQ(pictureSize(":/img/btnUpdate.PNG"), QSize(170, 63));
    EXPECT_EQ(pictureSize(":/img/btnUpdateHover.png"), QSize(170, 63));
    EXPECT_EQ(pictureSize(":/img/btnClose.png"), QSize(156, 65));
    EXPECT_EQ(pictureSize(":/img/btnCloseHover.png"), QSize(156, 65));
    EXPECT_EQ(pictureSize(":/img/transparent.png"), QSize(114, 29));
    EXPECT_EQ(QImageReader(":/icon/icon.ico").format(), "ico");
    EXPECT_FALSE(QImage(":/icon/icon.ico").isNull());
    EXPECT_TRUE(readResource(":/icon/icon.icns").startsWith("icns"));
}

TEST(ResourcePictures, HoverPicturesDifferFromTheNormalOnes)
{
    EXPECT_NE(QImage(":/img/btnUpdate.PNG"), QImage(":/img/btnUpdateHover.png"));
    EXPECT_NE(QImage(":/img/btnClose.png"), QImage(":/img/btnCloseHover.png"));
}

TEST(ResourcePictures, TransparentPictureHasNoVisiblePixel)
{
    const QImage image = QImage(":/img/transparent.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y;
        }
    }
}

TEST(ResourcePictures, LoaderIsAnAnimationOfSeveralFrames)
{
    QMovie movie(":/img/loader.gif");
    ASSERT_TRUE(movie.isValid());
    EXPECT_GT(movie.frameCount(), 1);
    EXPECT_EQ(pictureSize(":/img/loader.gif"), QSize(114, 29));
}

TEST(ProgressFrames, ExistForEveryWholePercentFrom0To100Only)
{
    for (int percent = 0; percent <= 100; ++percent)
    {
        EXPECT_EQ(pictureSize(QString(":/img/pb%1.png").arg(percent)), QSize(593, 30)) << percent;
    }
    EXPECT_FALSE(QFile::exists(":/img/pb101.png"));
    EXPECT_FALSE(QFile::exists(":/img/pb255.png"));
    EXPECT_FALSE(QFile::exists(":/img/pb007.png"));
}

TEST(ProgressFrames, FillTheirPercentOfTheTrackInOrange)
{
    for (int percent : { 0, 10, 25, 50, 75, 100 })
    {
        const QImage frame = QImage(QString(":/img/pb%1.png").arg(percent)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(frame.isNull()) << percent;
        int filled = 0;
        const int row = frame.height() / 2;
        for (int x = 0; x < frame.width(); ++x)
        {
            filled += isBarColour(frame.pixel(x, row)) ? 1 : 0;
        }
        const double share = 100.0 * filled / frame.width();
        EXPECT_NEAR(share, percent, 3.0) << "frame " << percent;
    }
}

TEST(ResourceConfigFile, HoldsTheVersionLineWithItsCrLf)
{
    EXPECT_EQ(readResource(":/cfg/config.ini"), QByteArray("version=2.1.81\r\n"));
}

TEST(ResourceFonts, RegisteredFilesExposeTheFamilyTheWindowAsksFor)
{
    const int regular = QFontDatabase::addApplicationFont(":/fonts/DINNextW1G-Regular.otf");
    const int heavy = QFontDatabase::addApplicationFont(":/fonts/DINNextW1G-Heavy.otf");
    ASSERT_GE(regular, 0);
    ASSERT_GE(heavy, 0);
    EXPECT_TRUE(QFontDatabase::applicationFontFamilies(regular).contains("DIN Next W1G"));
    EXPECT_TRUE(QFontDatabase::applicationFontFamilies(heavy).contains("DIN Next W1G"));

    EXPECT_EQ(QFontInfo(QFont("DIN Next W1G", 15, 0)).family(), "DIN Next W1G");
    // The window's bold texts find the heavy file within the same family.
    const QFontInfo bold(QFont("DIN Next W1G", 15, 75));
    EXPECT_EQ(bold.family(), "DIN Next W1G");
    EXPECT_GE(bold.weight(), 75);
}

TEST(ResourceFonts, EveryCarriedStyleLoads)
{
    for (const char *style : kFontStyles)
    {
        const QString path = QString(":/fonts/DINNextW1G-%1.otf").arg(style);
        const int id = QFontDatabase::addApplicationFont(path);
        EXPECT_GE(id, 0) << path.toStdString();
        EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).isEmpty()) << path.toStdString();
    }
    const int medium = QFontDatabase::addApplicationFont(":/fonts/DINNextW1G-Medium.otf");
    EXPECT_TRUE(QFontDatabase::applicationFontFamilies(medium).contains("DIN Next W1G Medium"));
}
