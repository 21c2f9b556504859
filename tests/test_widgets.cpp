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

namespace
{

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

void sendEnter(QWidget &widget)
{
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&widget, &enter);
}

void sendLeave(QWidget &widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

QPixmap marker()
{
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::magenta);
    return pixmap;
}

struct UpdateButton
{
    using Widget = vornButton;
    static constexpr const char *normal = ":/img/btnUpdate.PNG";
    static constexpr const char *hover = ":/img/btnUpdateHover.png";
    static constexpr void (vornButton::*clicked)() = &vornButton::vornButtonClicked;
};

struct CloseButton
{
    using Widget = vornCloseButton;
    static constexpr const char *normal = ":/img/btnClose.png";
    static constexpr const char *hover = ":/img/btnCloseHover.png";
    static constexpr void (vornCloseButton::*clicked)() = &vornCloseButton::vornCloseClicked;
};

template <typename T>
class PictureButton : public ::testing::Test
{
protected:
    typename T::Widget button;
};

using ButtonKinds = ::testing::Types<UpdateButton, CloseButton>;
TYPED_TEST_SUITE(PictureButton, ButtonKinds);

} // namespace

TYPED_TEST(PictureButton, StartsWithItsNormalPictureAndHoverTracking)
{
    EXPECT_FALSE(this->button.hover);
    EXPECT_TRUE(this->button.testAttribute(Qt::WA_Hover));
    EXPECT_EQ(this->button.parent(), nullptr);
    EXPECT_EQ(this->button.styleSheet(), kCommonStyle);
    EXPECT_EQ(shown(this->button), picture(TypeParam::normal));
}

TYPED_TEST(PictureButton, EnterShowsTheHoverPictureAndLeaveRestoresTheNormalOne)
{
    sendEnter(this->button);
    EXPECT_TRUE(this->button.hover);
    EXPECT_EQ(shown(this->button), picture(TypeParam::hover));
    EXPECT_EQ(this->button.styleSheet(), kCommonStyle);

    sendLeave(this->button);
    EXPECT_FALSE(this->button.hover);
    EXPECT_EQ(shown(this->button), picture(TypeParam::normal));
}

TYPED_TEST(PictureButton, EnteringTwiceWithoutLeavingDoesNotReloadThePicture)
{
    sendEnter(this->button);
    this->button.setPixmap(marker());
    sendEnter(this->button);
    EXPECT_TRUE(this->button.hover);
    EXPECT_EQ(shown(this->button), marker().toImage());
}

TYPED_TEST(PictureButton, LeavingWithoutEnteringKeepsThePicture)
{
    this->button.setPixmap(marker());
    sendLeave(this->button);
    EXPECT_FALSE(this->button.hover);
    EXPECT_EQ(shown(this->button), marker().toImage());
}

TYPED_TEST(PictureButton, AnyButtonReleaseClicksWithoutAPress)
{
    QSignalSpy clicks(&this->button, TypeParam::clicked);
    QTest::mouseRelease(&this->button, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseRelease(&this->button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
    QTest::mouseRelease(&this->button, Qt::MiddleButton);
    EXPECT_EQ(clicks.count(), 3);
}

TYPED_TEST(PictureButton, PressAloneDoesNotClick)
{
    QSignalSpy clicks(&this->button, TypeParam::clicked);
    QTest::mousePress(&this->button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0);
}

TYPED_TEST(PictureButton, ClickKeepsTheHoverPicture)
{
    sendEnter(this->button);
    QTest::mouseClick(&this->button, Qt::LeftButton);
    EXPECT_TRUE(this->button.hover);
    EXPECT_EQ(shown(this->button), picture(TypeParam::hover));
}

TEST(UpdateButtonWidget, OwnSlotDoesNotEmitTheClick)
{
    vornButton button;
    QSignalSpy clicks(&button, &vornButton::vornButtonClicked);
    button.slotVornButtonClicked();
    EXPECT_EQ(clicks.count(), 0);
}

TEST(ProgressBarWidget, StartsAtTheEmptyFrame)
{
    vornProgressBar bar;
    EXPECT_EQ(bar.parent(), nullptr);
    EXPECT_EQ(bar.styleSheet(), kCommonStyle);
    EXPECT_EQ(shown(bar), picture(":/img/pb0.png"));
}

TEST(ProgressBarWidget, ShowsTheFrameOfEachPercentage)
{
    vornProgressBar bar;
    bar.setProgress(100);
    EXPECT_EQ(shown(bar), picture(":/img/pb100.png"));
    bar.setProgress(7);
    EXPECT_EQ(shown(bar), picture(":/img/pb7.png"));
    bar.setProgress(0);
    EXPECT_EQ(shown(bar), picture(":/img/pb0.png"));
    EXPECT_EQ(bar.styleSheet(), kCommonStyle);
}

TEST(ProgressBarWidget, PercentageWithoutAFrameShowsAnEmptyPicture)
{
    vornProgressBar bar;
    bar.setProgress(101);
    EXPECT_TRUE(bar.pixmap(Qt::ReturnByValue).isNull());
    bar.setProgress(55);
    EXPECT_EQ(shown(bar), picture(":/img/pb55.png"));
}
