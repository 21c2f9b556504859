// The window for keyboard and screen-reader users, through Qt's own
// accessibility interfaces, against the in-process virtual controller: what
// each page says, the buttons' names and press actions, the progress value,
// the announcements, the keys and the focus mark.
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

using namespace windowtest;

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

//! What a screen reader reads on a page: the names of every object under it,
//! in tree order.
QStringList spoken(QAccessibleInterface *node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
    {
        QAccessibleInterface *child = node->child(i);
        const QString name = child->text(QAccessible::Name);
        if (!name.isEmpty())
        {
            texts << name;
        }
        texts << spoken(child);
    }
    return texts;
}

QStringList spokenOnPage(const MainWindow &window, int page)
{
    return spoken(accessible(pagesOf(window)->widget(page)));
}

using ScreenReader = WindowTest;

TEST_F(ScreenReader, ReadsEveryPagesWordsAndUpdatesThroughThePressActionWhileTheProgressValueRisesToHundred)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.19" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);

    const QStringList connect = spokenOnPage(*window, 0);
    for (const char *words : { "Click and hold the left thumbstick while inserting", "1  HOLD THE LEFT STICK DOWN",
                               "2  PLUG IN THE USB CABLE", "WAITING FOR THE CONTROLLER" })
    {
        EXPECT_TRUE(connect.contains(words)) << words << " not in " << connect.join('|').toStdString();
    }
    const QStringList same = spokenOnPage(*window, 1);
    EXPECT_TRUE(same.contains("YOUR CONTROLLER IS UP TO DATE"));
    EXPECT_TRUE(same.contains("No update is needed. You can unplug the controller."));

    ASSERT_TRUE(waitForPage(2));
    const QStringList offer = spokenOnPage(*window, 2);
    for (const char *words : { "FIRMWARE UPDATE AVAILABLE", "PRODUCT", "VORN Kelvo Pro Wired",
                               "Current firmware version:", "0.5.19", "New firmware version:", "0.5.20", "Update" })
    {
        EXPECT_TRUE(offer.contains(words)) << words << " not in " << offer.join('|').toStdString();
    }
    EXPECT_LT(offer.indexOf("Current firmware version:"), offer.indexOf("New firmware version:"));

    auto *updateButton = window->findChild<vornButton *>();
    QAccessibleInterface *update = accessible(updateButton);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->role(), QAccessible::Button);
    EXPECT_EQ(update->text(QAccessible::Name), "Update");
    EXPECT_FALSE(update->text(QAccessible::Description).isEmpty());
    EXPECT_TRUE(update->state().focusable);
    ASSERT_NE(update->actionInterface(), nullptr);
    ASSERT_TRUE(update->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));

    QAccessibleInterface *bar = accessible(window->findChild<vornProgressBar *>());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    EXPECT_EQ(bar->text(QAccessible::Name), "Update progress");
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toInt(), 100);
    // Read as a screen reader would, each time the bar moves.
    std::vector<int> readValues;
    QObject::connect(window.get(), &MainWindow::progressShown, [&] {
        readValues.push_back(bar->valueInterface()->currentValue().toInt());
    });

    update->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(waitForPage(3)) << "the press action clicks UPDATE";
    const QStringList updating = spokenOnPage(*window, 3);
    EXPECT_TRUE(updating.contains("UPDATING FIRMWARE"));
    EXPECT_TRUE(updating.contains("DO NOT UNPLUG THE CONTROLLER"));

    ASSERT_TRUE(waitForPage(4));
    EXPECT_TRUE(flashHolds("black"));
    ASSERT_GT(readValues.size(), 2u);
    EXPECT_TRUE(std::is_sorted(readValues.begin(), readValues.end()));
    EXPECT_EQ(readValues.back(), 100);
    EXPECT_EQ(bar->text(QAccessible::Value), "100%");

    const QStringList finished = spokenOnPage(*window, 4);
    for (const char *words : { "UPDATE COMPLETE", "You can now unplug the controller.", "Firmware version:", "0.5.20",
                               "Close" })
    {
        EXPECT_TRUE(finished.contains(words)) << words << " not in " << finished.join('|').toStdString();
    }
    QAccessibleInterface *close = accessible(window->findChild<vornCloseButton *>());
    EXPECT_EQ(close->role(), QAccessible::Button);
    QSignalSpy closed(window->findChild<vornCloseButton *>(), &vornCloseButton::vornCloseClicked);
    close->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(closed.count(), 1);

    // A page is announced under its heading.
    EXPECT_EQ(accessible(pagesOf(*window)->widget(2))->text(QAccessible::Name), "FIRMWARE UPDATE AVAILABLE");
    EXPECT_EQ(accessible(pagesOf(*window)->widget(4))->text(QAccessible::Name), "UPDATE COMPLETE");
}

TEST_F(ScreenReader, ReadsAMessageAndCannotPressAButtonThatIsNotShown)
{
    // The controller refuses the erase: the window tells the user.
    openFast({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FAULT", "status:flash-erase-region:105" } });
    QAccessibleInterface *update = accessible(window->findChild<vornButton *>());
    update->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(page(), 0) << "UPDATE is not on the connect page";
    EXPECT_TRUE(window->updateFilePath().isEmpty()) << "nothing was started";

    startUpdate();
    ASSERT_TRUE(waitFor([&] { return noticeOpen(); }));
    EXPECT_TRUE(spoken(accessible(window->notice())).join(' ').contains("did not confirm"));
}

using Keyboard = WindowTest;

//! A key as the window system delivers it: to the widget with the focus.
void typeKey(MainWindow &window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false)
{
    QWidget *target = window.focusWidget() ? window.focusWidget() : &window;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), repeat);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), repeat);
    QApplication::sendEvent(target, &release);
}

TEST_F(Keyboard, TheShownPagesButtonHasTheFocusAndOnlySpaceReturnOrEnterPressIt)
{
    open({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.20" }, { "VORN_SIM_FLASH", flash.toStdString() } });
    window->setDeviceTiming(kFastTickMs, kFastTimeoutMs);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(waitForPage(1));
    for (Qt::Key key : { Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter, Qt::Key_Tab })
    {
        typeKey(*window, key);
    }
    QTest::qWait(4 * kFastTickMs);
    EXPECT_EQ(page(), 1) << "no key presses UPDATE on a page without it";
    EXPECT_TRUE(window->updateFilePath().isEmpty());

    vornsim_set_variant("none");
    ASSERT_TRUE(waitForPage(0));
    // Another controller, with flash of its own.
    flash = dir.filePath("older.bin");
    configureSim({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.19" },
                   { "VORN_SIM_FLASH", flash.toStdString() } });
    ASSERT_TRUE(waitForPage(2));
    auto *updateButton = window->findChild<vornButton *>();
    EXPECT_EQ(window->focusWidget(), updateButton);
    EXPECT_TRUE(updateButton->hasFocus());
    typeKey(*window, Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), updateButton) << "Tab keeps to the one button there is";

    typeKey(*window, Qt::Key_Return, Qt::NoModifier, true);
    typeKey(*window, Qt::Key_Return, Qt::ControlModifier);
    typeKey(*window, Qt::Key_A);
    EXPECT_EQ(page(), 2) << "a held key's repeat, a modified key or another key press nothing";

    QSignalSpy clicks(updateButton, &vornButton::vornButtonClicked);
    typeKey(*window, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(waitForPage(3));
    ASSERT_TRUE(waitForPage(4));
    EXPECT_TRUE(flashHolds("black"));

    auto *closeButton = window->findChild<vornCloseButton *>();
    EXPECT_EQ(window->focusWidget(), closeButton);
    QSignalSpy closed(closeButton, &vornCloseButton::vornCloseClicked);
    typeKey(*window, Qt::Key_Space);
    EXPECT_EQ(closed.count(), 1);
}

TEST(FocusMark, ShowsOnlyWhileAButtonHasTheFocusAndStaysOnItsOutline)
{
    QWidget holder;
    auto *layout = new QVBoxLayout(&holder);
    auto *other = new QLineEdit;
    auto *button = new vornCloseButton;
    button->setScaledContents(true);
    button->setFixedSize(156, 65);
    layout->addWidget(other);
    layout->addWidget(button);
    holder.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&holder));

    other->setFocus();
    const QImage plain = button->grab().toImage();
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    const QImage marked = button->grab().toImage();
    other->setFocus();
    EXPECT_EQ(button->grab().toImage(), plain) << "the mark goes with the focus";

    // The mark changes the ring along the pill's outline, and nothing inside it.
    const int band = button->height() / 6;
    int changedOnOutline = 0;
    for (int y = 0; y < plain.height(); ++y)
    {
        for (int x = 0; x < plain.width(); ++x)
        {
            if (plain.pixel(x, y) == marked.pixel(x, y))
            {
                continue;
            }
            const bool inner = x >= band + plain.height() / 2 && x < plain.width() - band - plain.height() / 2 &&
                               y >= band && y < plain.height() - band;
            EXPECT_FALSE(inner) << "changed inside the ring at " << x << "," << y;
            ++changedOnOutline;
            if (inner)
            {
                return;
            }
        }
    }
    EXPECT_GT(changedOnOutline, plain.width()) << "a ring all along the outline";
}

TEST_F(Keyboard, PageWordsFitTheirLabelsAndLetTheMouseReachTheButtons)
{
    openFast({ { "VORN_SIM_VARIANT", "none" } });
    const QList<QLabel *> words = window->findChildren<QLabel *>(QRegularExpression("^lblWord"));
    ASSERT_GE(words.size(), 16);
    for (QLabel *word : words)
    {
        SCOPED_TRACE(word->text().toStdString());
        EXPECT_TRUE(word->pixmap(Qt::ReturnByValue).isNull()) << "words are text, never pictures";
        const QFontMetrics metrics(word->font());
        EXPECT_LE(metrics.horizontalAdvance(word->text()), word->width());
        EXPECT_LE(metrics.height(), word->height());
    }
    for (QWidget *button : { static_cast<QWidget *>(window->findChild<vornButton *>()),
                             static_cast<QWidget *>(window->findChild<vornCloseButton *>()) })
    {
        QWidget *page = button->parentWidget();
        EXPECT_EQ(page->childAt(button->geometry().center()), button);
        EXPECT_EQ(page->childAt(button->geometry().topLeft() + QPoint(2, 2)), button);
    }
}

} // namespace
