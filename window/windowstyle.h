#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QLabel;
class QMainWindow;
class QMovie;
class vornButton;
class vornCloseButton;
class vornProgressBar;

namespace Ui {
class MainWindow;
}

//! The widgets that styling adds to the form.
struct StyledWidgets
{
    QMovie *loader = nullptr;
    vornButton *updateButton = nullptr;
    vornProgressBar *progressBar = nullptr;
    vornCloseButton *closeButton = nullptr;
    //! Hidden until the window shows it.
    QLabel *accessHint = nullptr;
    //! Hidden until the window shows it.
    QLabel *busyHint = nullptr;
};

//! Sizes, places and styles the window's widgets in proportion to the screen.
namespace windowstyle {

//! Window size for a screen: half the screen height, width 1.163 times that.
QSize windowSizeForScreen(const QSize &screen);
//! Rectangle given as fractions of the window, each value truncated on its own.
QRect scaledRect(const QSize &window, double x, double y, double width, double height);

//! Fixes @a window's size to the primary screen, styles and places every
//! widget of @a form, adds the loader, the picture widgets and the connect
//! page's access hint (showing @a accessHintText) and its hint for a
//! controller that another program uses (@a busyHintText), and shows the
//! connect page.
//! Every picture is decoded and scaled here, once.
StyledWidgets styleForm(QMainWindow &window, Ui::MainWindow &form, const QString &accessHintText,
                        const QString &busyHintText);

} // namespace windowstyle
