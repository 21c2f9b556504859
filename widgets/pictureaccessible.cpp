#include "widgets/pictureaccessible.h"

#include <QWidget>

#include <utility>

PictureButtonAccessible::PictureButtonAccessible(QWidget *button, std::function<void()> press)
    : QAccessibleWidget(button, QAccessible::Button)
    , press(std::move(press))
{
}

QStringList PictureButtonAccessible::actionNames() const
{
    return QStringList{ pressAction() } + QAccessibleWidget::actionNames();
}

void PictureButtonAccessible::doAction(const QString &action)
{
    // Like a click, only a button that can be seen and used is pressed.
    if (action == pressAction() && widget()->isEnabled() && widget()->isVisible())
    {
        press();
        return;
    }
    QAccessibleWidget::doAction(action);
}

QStringList PictureButtonAccessible::keyBindingsForAction(const QString &action) const
{
    if (action == pressAction())
    {
        return { QStringLiteral("Space"), QStringLiteral("Return") };
    }
    return QAccessibleWidget::keyBindingsForAction(action);
}

PictureProgressAccessible::PictureProgressAccessible(QWidget *bar, std::function<int()> percent)
    : QAccessibleWidget(bar, QAccessible::ProgressBar)
    , percent(std::move(percent))
{
}

void *PictureProgressAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
    {
        return static_cast<QAccessibleValueInterface *>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString PictureProgressAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
    {
        return QStringLiteral("%1%").arg(percent());
    }
    return QAccessibleWidget::text(kind);
}

QVariant PictureProgressAccessible::currentValue() const
{
    return percent();
}

QVariant PictureProgressAccessible::maximumValue() const
{
    return 100;
}

QVariant PictureProgressAccessible::minimumValue() const
{
    return 0;
}

QVariant PictureProgressAccessible::minimumStepSize() const
{
    return 1;
}
