// The embedded resources as the window and the engine use them: the images
// per variant with their identity and version, pictures of the sizes the
// window stretches, the fonts it asks for, and the widgets that show them.
#include "product/controller_variants.h"
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"
#include "widgets/buttonword.h"
#include "widgets/picturesource.h"

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

constexpr int kImageSize = 458764;
constexpr int kTrailer = 0x70000;

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

TEST(ResourcePictures, EveryStretchedPictureHasATwinOfTwicePixelsThatDenseScreensRead)
{
    QStringList stretched = { ":/img/btnUpdate.PNG", ":/img/btnUpdateHover.png", ":/img/btnClose.png",
                              ":/img/btnCloseHover.png" };
    for (int page = 1; page <= 5; ++page)
    {
        stretched << QString(":/img/Vorn-UpdaterApp-%1.jpg").arg(page);
    }
    for (int percent = 0; percent <= 100; ++percent)
    {
        stretched << QString(":/img/pb%1.png").arg(percent);
    }
    for (const QString &path : stretched)
    {
        EXPECT_EQ(picturesource::forRatio(path, 1.0), path);
        const QString twin = picturesource::forRatio(path, 1.25);
        EXPECT_NE(twin, path) << qPrintable(path) << " has no twin";
        EXPECT_EQ(QImageReader(twin).size(), QImageReader(path).size() * 2) << qPrintable(twin);
    }
    EXPECT_EQ(picturesource::forRatio(":/img/loader.gif", 2.0), ":/img/loader.gif") << "no twin: the picture itself";

    // A page at scale 2 comes from its twin, decoded at half size on the way.
    const QImage page = picturesource::prepared(":/img/Vorn-UpdaterApp-3.jpg", QSize(628, 540), 2.0);
    EXPECT_EQ(page.size(), QSize(1256, 1080));
    QImageReader half(":/img/Vorn-UpdaterApp-3@2x.jpg");
    half.setScaledSize(QSize(1256, 1080));
    EXPECT_EQ(page, half.read().convertToFormat(QImage::Format_RGB32));

    // Prepared at a ratio, in device pixels: at the twin's own size it is the
    // twin itself, not the smaller picture enlarged.
    const QImage update = picturesource::prepared(":/img/btnUpdate.PNG", QSize(170, 63), 2.0);
    EXPECT_EQ(update.size(), QSize(340, 126));
    EXPECT_EQ(update.devicePixelRatio(), 2.0);
    EXPECT_EQ(update, QImage(":/img/btnUpdate@2x.PNG").convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const QImage bar = picturesource::prepared(":/img/pb50.png", QSize(324, 15), 1.5);
    EXPECT_EQ(bar.size(), QSize(486, 23)) << "rounded as a label rounds its picture";
    EXPECT_EQ(bar.devicePixelRatio(), 1.5);
    const QVector<QImage> frames = vornProgressBar::scaledFrames(QSize(324, 15), 2.0);
    ASSERT_EQ(frames.size(), 101);
    EXPECT_EQ(frames.at(100).size(), QSize(648, 30));
    EXPECT_EQ(frames.at(100).devicePixelRatio(), 2.0);
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

const char *const kCommonStyle = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch";

QImage shown(const QLabel &label)
{
    return label.pixmap(Qt::ReturnByValue).toImage();
}

QImage picture(const char *path)
{
    const QImage image = QPixmap(path).toImage();
    EXPECT_FALSE(image.isNull()) << path << " is missing from the resources";
    return image;
}

void send(QWidget &widget, QEvent::Type type)
{
    QEvent event(type);
    QCoreApplication::sendEvent(&widget, &event);
}

//! Hover pictures change only with the hover state; every release clicks.
template <typename Button>
void expectPictureButton(void (Button::*clicked)(), const char *normal, const char *hover)
{
    SCOPED_TRACE(normal);
    Button button;
    EXPECT_TRUE(button.testAttribute(Qt::WA_Hover));
    EXPECT_EQ(button.styleSheet(), kCommonStyle);
    EXPECT_EQ(shown(button), picture(normal));

    send(button, QEvent::Enter);
    EXPECT_EQ(shown(button), picture(hover));
    QPixmap marker(8, 8);
    marker.fill(Qt::magenta);
    button.setPixmap(marker);
    send(button, QEvent::Enter);
    EXPECT_EQ(shown(button), marker.toImage()) << "a repeated enter does not reload the picture";

    QSignalSpy clicks(&button, clicked);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0) << "a press alone is no click";
    for (Qt::MouseButton mouseButton : { Qt::LeftButton, Qt::RightButton, Qt::MiddleButton })
    {
        QTest::mouseRelease(&button, mouseButton);
    }
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(shown(button), marker.toImage()) << "a click does not change the picture";

    send(button, QEvent::Leave);
    EXPECT_EQ(shown(button), picture(normal));
}

TEST(PictureButtons, SwapPicturesOnlyWhenTheHoverStateChangesAndClickOnEveryRelease)
{
    expectPictureButton(&vornButton::vornButtonClicked, ":/img/btnUpdate.PNG", ":/img/btnUpdateHover.png");
    expectPictureButton(&vornCloseButton::vornCloseClicked, ":/img/btnClose.png", ":/img/btnCloseHover.png");
}

//! The pixels where @a worded differs from @a bare, as (inside the word's room, outside it).
struct Changed
{
    int inside = 0;
    int outside = 0;
    int orange = 0; //!< changed pixels redder than green and green than blue
    int darker = 0; //!< changed pixels darker than the bare picture there
};

Changed changed(const QImage &bare, const QImage &worded, const QRect &room)
{
    Changed result;
    for (int y = 0; y < bare.height(); ++y)
    {
        for (int x = 0; x < bare.width(); ++x)
        {
            const QColor before = bare.pixelColor(x, y), after = worded.pixelColor(x, y);
            if (before == after)
            {
                continue;
            }
            ++(room.contains(x, y) ? result.inside : result.outside);
            result.orange += after.red() > after.green() && after.green() > after.blue();
            result.darker += after.lightness() < before.lightness();
        }
    }
    return result;
}

template <typename Button>
void expectWordOverThePill(const char *word)
{
    SCOPED_TRACE(word);
    QFontDatabase::addApplicationFont(":/fonts/DINNextW1G-Regular.otf");
    Button button;
    button.resize(93, 31);
    const QRect room = buttonword::room(button.size());
    const QImage bare = button.grab().toImage();
    button.setWord(QString::fromLatin1(word));
    const Changed normal = changed(bare, button.grab().toImage(), room);
    EXPECT_GT(normal.inside, 40) << "the word is drawn";
    EXPECT_EQ(normal.outside, 0) << "the round ends stay clear";
    EXPECT_GE(normal.orange, normal.inside * 9 / 10) << "in the art's orange on the dark pill (bar a few blended edges)";

    send(button, QEvent::Enter);
    button.setWord(QString());
    const QImage bareHovered = button.grab().toImage();
    button.setWord(QString::fromLatin1(word));
    const Changed hovered = changed(bareHovered, button.grab().toImage(), room);
    EXPECT_GT(hovered.inside, 40);
    EXPECT_GE(hovered.darker, hovered.inside * 9 / 10) << "dark on the bright pill";
}

TEST(PictureButtons, DrawTheirWordOverThePillInOrangeAndDarkWhileTheMouseIsOverThem)
{
    expectWordOverThePill<vornButton>("UPDATE");
    expectWordOverThePill<vornCloseButton>("CLOSE");
}

TEST(ProgressBarWidget, ShowsEachPercentagesFrameFromItsFileOrItsPreparedFrameAndNothingBeyondHundred)
{
    vornProgressBar bar;
    EXPECT_EQ(shown(bar), picture(":/img/pb0.png"));
    bar.setProgress(7);
    EXPECT_EQ(shown(bar), picture(":/img/pb7.png"));
    EXPECT_EQ(bar.styleSheet(), kCommonStyle);

    const QSize size(324, 15);
    const QVector<QImage> frames = vornProgressBar::scaledFrames(size);
    ASSERT_EQ(frames.size(), 101);
    EXPECT_EQ(frames.at(42), picture(":/img/pb42.png").scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    // Marked frames show that setProgress takes the prepared ones, not the files.
    QVector<QImage> marked;
    for (int percent = 0; percent <= 100; ++percent)
    {
        QImage frame(size, QImage::Format_RGB32);
        frame.fill(QColor(percent, 0, 255 - percent));
        marked.append(frame);
    }
    bar.setFrames(marked);
    EXPECT_EQ(shown(bar), marked.at(7)) << "the frame shown is replaced by its prepared one";
    for (int percent : { 100, 0 })
    {
        bar.setProgress(percent);
        EXPECT_EQ(shown(bar), marked.at(percent));
    }
    bar.setProgress(101);
    EXPECT_TRUE(bar.pixmap(Qt::ReturnByValue).isNull());
}

} // namespace
