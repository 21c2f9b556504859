#include "window/accessibility.h"

#include "widgets/pictureaccessible.h"
#include "window/updatetexts.h"
#include "window/windowstyle.h"
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"

#include <QAccessible>
#include <QLabel>
#include <QStackedWidget>

namespace accessibility {

namespace {

QAccessibleInterface *pictureInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("vornButton"))
    {
        auto *button = static_cast<vornButton *>(object);
        return new PictureButtonAccessible(button, [button] { Q_EMIT button->vornButtonClicked(); });
    }
    if (className == QLatin1String("vornCloseButton"))
    {
        auto *button = static_cast<vornCloseButton *>(object);
        return new PictureButtonAccessible(button, [button] { Q_EMIT button->vornCloseClicked(); });
    }
    if (className == QLatin1String("vornProgressBar"))
    {
        auto *bar = static_cast<vornProgressBar *>(object);
        return new PictureProgressAccessible(bar, [bar] { return bar->progress(); });
    }
    return nullptr;
}

void name(QWidget *widget, const char *text, const char *description = nullptr)
{
    widget->setAccessibleName(updatetexts::text(text));
    if (description)
    {
        widget->setAccessibleDescription(updatetexts::text(description));
    }
}

//! The page's heading: the first of its words that a screen reader reads.
const char *const kPageNames[] = { nullptr, updatetexts::kSameHeading, updatetexts::kOfferHeading,
                                   updatetexts::kUpdatingHeading, updatetexts::kFinishedHeading };

void announce(QStackedWidget &pages, int index, const StyledWidgets &added)
{
    QWidget *page = pages.widget(index);
    if (!page)
    {
        return;
    }
    // The button of the page takes the focus, so Space or Return presses it
    // at once; a page without one leaves the focus nowhere to press anything.
    QWidget *button = added.updateButton->parentWidget() == page  ? static_cast<QWidget *>(added.updateButton)
                      : added.closeButton->parentWidget() == page ? static_cast<QWidget *>(added.closeButton)
                                                                  : nullptr;
    if (button)
    {
        button->setFocus(Qt::OtherFocusReason);
    }
    else if (QWidget *focused = pages.window()->focusWidget())
    {
        focused->clearFocus();
    }
    QAccessibleEvent shown(page, QAccessible::Alert);
    QAccessible::updateAccessibility(&shown);
}

} // namespace

void installPictureInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void describe(QStackedWidget &pages, const StyledWidgets &added)
{
    name(added.updateButton, updatetexts::kUpdateButtonName, updatetexts::kUpdateButtonDescription);
    name(added.closeButton, updatetexts::kCloseButtonName, updatetexts::kCloseButtonDescription);
    name(added.progressBar, updatetexts::kProgressName, updatetexts::kProgressDescription);
    if (auto *loader = pages.widget(0)->findChild<QLabel *>(QStringLiteral("lblLoader")))
    {
        name(loader, updatetexts::kLoaderName);
    }
    for (int index = 0; index < pages.count(); ++index)
    {
        const char *heading = kPageNames[index];
        pages.widget(index)->setAccessibleName(heading ? updatetexts::text(heading)
                                                       : pages.window()->windowTitle());
    }
    QObject::connect(&pages, &QStackedWidget::currentChanged, &pages,
                     [&pages, added](int index) { announce(pages, index, added); });
}

} // namespace accessibility
