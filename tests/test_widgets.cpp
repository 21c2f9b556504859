// The picture buttons and the progress bar as the window shows them.
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

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
    EXPECT_EQ(button.styleSheet(), kCommonStyle);
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
    button.setPixmap(marker);
    send(button, QEvent::Leave);
    EXPECT_EQ(shown(button), marker.toImage()) << "a repeated leave does not reload the picture";
}

} // namespace

TEST(PictureButtons, SwapPicturesOnlyWhenTheHoverStateChangesAndClickOnEveryRelease)
{
    expectPictureButton(&vornButton::vornButtonClicked, ":/img/btnUpdate.PNG", ":/img/btnUpdateHover.png");
    expectPictureButton(&vornCloseButton::vornCloseClicked, ":/img/btnClose.png", ":/img/btnCloseHover.png");
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
