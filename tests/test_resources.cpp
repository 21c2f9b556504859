#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QResource>
#include <QSet>
#include <QStringList>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>

namespace
{

constexpr int kImageSize = 458764;
constexpr int kTrailer = 0x70000;
constexpr int kProgramEnd = 0x4BAF4;

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

TEST(ResourceCatalogue, HoldsExactlyTheListedEntriesStoredUncompressed)
{
    QStringList expected;
    for (const Variant &variant : kVariants)
    {
        expected << variant.path;
    }
    for (int page = 1; page <= 5; ++page)
    {
        expected << QString(":/img/Vorn-UpdaterApp-%1.jpg").arg(page);
    }
    for (int percent = 0; percent <= 100; ++percent)
    {
        expected << QString(":/img/pb%1.png").arg(percent);
    }
    for (const char *style : { "Regular", "Heavy", "Black", "BlackItalic", "Bold", "BoldItalic", "HeavyItalic",
                               "Italic", "Light", "LightItalic", "Medium", "MediumItalic", "UltraLight", "UltraLightIt" })
    {
        expected << QString(":/fonts/DINNextW1G-%1.otf").arg(style);
    }
    expected << ":/img/btnUpdate.PNG" << ":/img/btnUpdateHover.png" << ":/img/btnClose.png"
             << ":/img/btnCloseHover.png" << ":/img/loader.gif" << ":/img/transparent.png" << ":/icon/icon.ico"
             << ":/icon/icon.icns" << ":/cfg/config.ini";
    ASSERT_EQ(expected.size(), 133);

    QSet<QString> found;
    for (const char *directory : { ":/binaries", ":/img", ":/icon", ":/fonts", ":/cfg" })
    {
        QDirIterator it(directory, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
        {
            const QString path = it.next();
            found.insert(path);
            EXPECT_EQ(QResource(path).compressionAlgorithm(), QResource::NoCompression) << path.toStdString();
        }
    }
    EXPECT_EQ(found, QSet<QString>(expected.begin(), expected.end())) << "names are case-exact: btnUpdate.PNG";
    EXPECT_EQ(readResource(":/cfg/config.ini"), QByteArray("version=2.1.81\r\n"));
}

TEST(FirmwareImages, CarryTheLayoutVariantIdsAndVersionAndDifferOnlyInTheProductIds)
{
    const QByteArray black = readResource(kVariants[0].path);
    for (const Variant &variant : kVariants)
    {
        const QByteArray image = readResource(variant.path);
        ASSERT_EQ(image.size(), kImageSize) << variant.path;
        EXPECT_EQ(le<quint32>(image, 0), 0x20030000u) << variant.path;
        EXPECT_EQ(le<quint32>(image, 4), 0x181u) << variant.path;
        EXPECT_NE(image.at(kProgramEnd - 1), '\0') << variant.path;
        EXPECT_EQ(image.mid(kProgramEnd, kTrailer - kProgramEnd), QByteArray(kTrailer - kProgramEnd, '\0'));
        EXPECT_EQ(le<quint16>(image, kTrailer), 0x3b7c) << variant.path;
        EXPECT_EQ(le<quint16>(image, kTrailer + 2), variant.productId) << variant.path;
        EXPECT_EQ(le<quint16>(image, kTrailer + 4), variant.updateModeProductId) << variant.path;
        EXPECT_EQ(image.mid(kTrailer + 6), QByteArray("\x14\x00\x05\x00\x00\x00", 6)) << variant.path;
        EXPECT_TRUE(image.left(kTrailer + 2) == black.left(kTrailer + 2)) << variant.path;
    }
}

TEST(ResourcePictures, HaveThePixelSizesTheWindowStretches)
{
    for (int page = 1; page <= 5; ++page)
    {
        QImageReader background(QString(":/img/Vorn-UpdaterApp-%1.jpg").arg(page));
        EXPECT_EQ(background.format(), "jpeg") << page;
        EXPECT_EQ(background.size(), QSize(2067, 1778)) << page;
    }
    for (int percent = 0; percent <= 100; ++percent)
    {
        EXPECT_EQ(QImageReader(QString(":/img/pb%1.png").arg(percent)).size(), QSize(593, 30)) << percent;
    }
    EXPECT_EQ(QImageReader(":/img/btnUpdate.PNG").size(), QSize(170, 63));
    EXPECT_EQ(QImageReader(":/img/btnUpdateHover.png").size(), QSize(170, 63));
    EXPECT_EQ(QImageReader(":/img/btnClose.png").size(), QSize(156, 65));
    EXPECT_EQ(QImageReader(":/img/btnCloseHover.png").size(), QSize(156, 65));
    EXPECT_FALSE(QImage(":/icon/icon.ico").isNull());

    QMovie loader(":/img/loader.gif");
    EXPECT_GT(loader.frameCount(), 1);
    EXPECT_EQ(QImageReader(":/img/loader.gif").size(), QSize(114, 29));

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
}
