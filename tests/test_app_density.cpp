// The window on high-density screens, run as its own program on Qt's VNC
// platform, which gives a screen of any size without a display: the layout
// stays the same at every scale, and at twice the scale the pictures and
// texts are drawn with the screen's own pixels rather than doubled ones.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

//! The offer page of a walkthrough on a screen of 1920 x 1080 times @a scale
//! at that scale factor; a null picture when the run failed.
QImage offerPage(const QTemporaryDir &dir, const QString &scale)
{
    const double factor = scale.toDouble();
    const int width = static_cast<int>(1920 * factor), height = static_cast<int>(1080 * factor);
    // 96 dots per inch, so that the scale factor alone sets the scale.
    const QString platform = QStringLiteral("vnc:size=%1x%2:mmsize=%3x%4:port=0")
                                 .arg(width)
                                 .arg(height)
                                 .arg(width * 25.4 / 96)
                                 .arg(height * 25.4 / 96);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", platform);
    environment.insert("QT_SCALE_FACTOR", scale);
    environment.insert("VORN_SIM_VARIANT", "black");
    environment.insert("VORN_SIM_VERSION", "0.5.19");
    environment.remove("VORN_SIM_FAULT");
    environment.remove("VORN_SIM_FLASH");
    environment.remove("VORN_SIM_TIMING");
    const QString pictures = dir.filePath("scale-" + scale);
    QProcess updater;
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(dir.path());
    updater.setStandardOutputFile(QProcess::nullDevice());
    // Three runs within the test's own time limit, each ending with a message of its own.
    updater.start(VORN_UPDATER_SIM, { "--walkthrough", pictures, "--walkthrough-limit", "30" });
    if (!updater.waitForFinished(35000) || updater.exitCode() != 0)
    {
        ADD_FAILURE() << "the walkthrough at scale " << scale.toStdString() << " did not finish";
        return {};
    }
    const QStringList offer = QDir(pictures).entryList({ "*-pageVersionLower.png" });
    return offer.isEmpty() ? QImage() : QImage(QDir(pictures).filePath(offer.first())).convertToFormat(QImage::Format_RGB32);
}

int largestChannelDifference(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
}

TEST(DenseScreens, KeepTheLayoutAtEveryScaleAndDrawAtTwiceTheScaleWithTheScreensOwnPixels)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage one = offerPage(dir, "1");
    const QImage two = offerPage(dir, "2");
    const QImage threeHalves = offerPage(dir, "1.5");
    ASSERT_EQ(one.size(), QSize(628, 540));
    ASSERT_EQ(two.size(), QSize(1256, 1080));
    EXPECT_EQ(threeHalves.size(), QSize(942, 810));

    // The same page at any scale: brought back to the first one's pixels, it
    // differs only as finer drawing does, not by anything moved.
    for (const QImage *scaled : { &two, &threeHalves })
    {
        const QImage back = scaled->scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qint64 total = 0;
        for (int y = 0; y < one.height(); ++y)
        {
            for (int x = 0; x < one.width(); ++x)
            {
                total += largestChannelDifference(one.pixel(x, y), back.pixel(x, y));
            }
        }
        EXPECT_LT(static_cast<double>(total) / (one.width() * one.height()), 6.0) << "from " << scaled->width();
    }

    // A doubled window would equal the first one copied into 2 x 2 blocks.
    qint64 drawnAnew = 0;
    for (int y = 0; y < two.height(); ++y)
    {
        for (int x = 0; x < two.width(); ++x)
        {
            drawnAnew += two.pixel(x, y) != one.pixel(x / 2, y / 2);
        }
    }
    EXPECT_GT(static_cast<double>(drawnAnew) / (two.width() * two.height()), 0.20);
}

} // namespace
