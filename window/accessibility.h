#pragma once

class QStackedWidget;
class QWidget;
struct StyledWidgets;

//! What the window gives screen readers and keyboard users, through Qt's own
//! accessibility interfaces: the picture widgets as a push button and a
//! progress bar with names and descriptions, each page named after its
//! heading, and a page change announced, with the keyboard focus on the
//! button of a page that has one.
namespace accessibility {

//! Makes the picture widgets known to Qt's accessibility as what they are;
//! once per process, before their interfaces are asked for.
void installPictureInterfaces();

//! Names the picture widgets of @a added, and announces each page that
//! @a pages shows from now on, giving its button the focus.
void describe(QStackedWidget &pages, const StyledWidgets &added);

} // namespace accessibility
