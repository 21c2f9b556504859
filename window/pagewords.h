#pragma once

#include <QSize>

class QWidget;

//! The words of the pages (headings, instructions, captions), set as text
//! labels over the page pictures in the pictures' own typeface, so that they
//! are sharp at every scale, read by screen readers and translated.
namespace pagewords {

//! Adds the words to @a pages (the five pages in index order) of a window of
//! @a window logical pixels. The labels lie under the page's other widgets
//! and let the mouse through, so buttons behave as before.
void addTo(QWidget *const pages[], const QSize &window);

} // namespace pagewords
