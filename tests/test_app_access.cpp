// The connect page's hint for a controller that is plugged in but may not be
// opened, driven by the window's own polling against the virtual controller.
#include "mainwindow.h"
#include "sim/vornsim_control.h"
#include "ui_mainwindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const int kWaitMs = 15000;

class AccessHint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }

    void open(const QByteArray &variant, const QByteArray &fault)
    {
        qputenv("VORN_SIM_VARIANT", variant);
        qputenv("VORN_SIM_FAULT", fault);
        vornsim_reconfigure();
        window = std::make_unique<MainWindow>();
        window->show();
        hint = window->findChild<QLabel *>(QStringLiteral("lblAccessHint"));
        ASSERT_NE(hint, nullptr);
    }

    int page() const { return window->ui->stackedWidget->currentIndex(); }
    bool hintShown() const { return hint->isVisible(); }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
    QLabel *hint = nullptr;
};

TEST_F(AccessHint, ShowsWhileARefusedControllerIsPluggedInAndGoesWithIt)
{
    open("steel_gray", "denied");
    EXPECT_FALSE(hintShown());
    ASSERT_TRUE(QTest::qWaitFor([&] { return hintShown(); }, kWaitMs));
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(hint->parentWidget(), window->ui->pageConnectController);
    EXPECT_TRUE(hint->text().contains(QStringLiteral("udev rule")));

    // Polling goes on through the other variants; the hint stays while the
    // refused controller is still there.
    const int index = window->foundIndex;
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->foundIndex != index; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->foundIndex == index; }, kWaitMs));
    EXPECT_TRUE(hintShown());

    vornsim_set_variant("none");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !hintShown(); }, kWaitMs)) << "unplugged: nothing to explain";
    EXPECT_EQ(page(), 0);
}

TEST_F(AccessHint, IsNeverShownWhenNothingIsRefused)
{
    open("none", "");
    bool everShown = false;
    QList<int> seen{ window->foundIndex };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            everShown = everShown || hintShown();
            if (window->foundIndex != seen.last())
            {
                seen << window->foundIndex;
            }
            return seen.size() == 5;
        },
        kWaitMs));
    EXPECT_FALSE(everShown) << "no controller is not a permission problem";

    qputenv("VORN_SIM_VARIANT", "light_gray");
    vornsim_reconfigure();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page() != 0; }, kWaitMs));
    EXPECT_TRUE(hint->isHidden()) << "not waiting on a page that is not shown";
}

TEST_F(AccessHint, AControllerOpenedAfterARefusalLeavesNoHintBehind)
{
    open("black", "denied");
    ASSERT_TRUE(QTest::qWaitFor([&] { return hintShown(); }, kWaitMs));

    // The rule is in place and the controller plugged in again.
    qputenv("VORN_SIM_FAULT", "");
    vornsim_reconfigure();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page() == 2; }, kWaitMs));
    EXPECT_TRUE(hint->isHidden()) << "not waiting on a page that is not shown";
}

} // namespace
