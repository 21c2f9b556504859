// The connect page's hint for a controller that is plugged in but may not be
// opened, driven by the window's own polling against the virtual controller.
#include "window_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace windowtest;

// Several rounds through all four variants.
const int kRoundsMs = 12 * vorn::kVariantCount * kFastTickMs;

class AccessHint : public WindowTest
{
protected:
    void openFast(const QByteArray &variant, const QByteArray &fault)
    {
        open({ { "VORN_SIM_VARIANT", variant }, { "VORN_SIM_FAULT", fault } });
        window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
        hint = window->findChild<QLabel *>(QStringLiteral("lblAccessHint"));
        ASSERT_NE(hint, nullptr);
    }

    bool hintShown() const { return hint->isVisible(); }

    //! Watches the hint over several rounds; true when it always was @a shown.
    bool hintStays(bool shown)
    {
        bool stayed = true;
        waitFor(
            [&] {
                stayed = stayed && hintShown() == shown;
                return false;
            },
            kRoundsMs);
        return stayed;
    }

    QLabel *hint = nullptr;
};

TEST_F(AccessHint, ShowsWhileARefusedControllerIsPluggedInAndGoesWithIt)
{
    openFast("steel_gray", "denied");
    EXPECT_FALSE(hintShown());
    ASSERT_TRUE(waitFor([&] { return hintShown(); }));
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(hint->parentWidget(), pagesOf(*window)->widget(0));
    EXPECT_TRUE(hint->text().contains(QStringLiteral("udev rule")));
    EXPECT_TRUE(hintStays(true)) << "polling goes on through the other variants";

    vornsim_set_variant("none");
    ASSERT_TRUE(waitFor([&] { return !hintShown(); })) << "unplugged: nothing to explain";
    EXPECT_EQ(page(), 0);
}

TEST_F(AccessHint, IsNeverShownWhenNothingIsRefused)
{
    openFast("none", "");
    EXPECT_TRUE(hintStays(false)) << "no controller is not a permission problem";

    qputenv("VORN_SIM_VARIANT", "light_gray");
    vornsim_reconfigure();
    ASSERT_TRUE(waitFor([&] { return page() != 0; }));
    EXPECT_TRUE(hint->isHidden());
}

TEST_F(AccessHint, AControllerOpenedAfterARefusalLeavesNoHintBehind)
{
    openFast("black", "denied");
    ASSERT_TRUE(waitFor([&] { return hintShown(); }));

    // The rule is in place and the controller plugged in again.
    qputenv("VORN_SIM_FAULT", "");
    vornsim_reconfigure();
    ASSERT_TRUE(waitForPage(2));
    EXPECT_TRUE(hint->isHidden()) << "not waiting on a page that is not shown";
}

} // namespace
