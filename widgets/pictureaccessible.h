#pragma once

#include <QAccessibleWidget>

#include <functional>

//! How a screen reader sees a picture button: a push button with its name,
//! its description and the press action, which clicks it as the mouse does.
class PictureButtonAccessible : public QAccessibleWidget
{
public:
    PictureButtonAccessible(QWidget *button, std::function<void()> press);

    QStringList actionNames() const override;
    void doAction(const QString &action) override;
    QStringList keyBindingsForAction(const QString &action) const override;

private:
    std::function<void()> press;
};

//! How a screen reader sees the picture progress bar: a progress bar whose
//! value is the percentage shown.
class PictureProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    PictureProgressAccessible(QWidget *bar, std::function<int()> percent);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;

    QVariant currentValue() const override;
    //! The bar shows the write's progress; nobody else sets it.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    std::function<int()> percent;
};
