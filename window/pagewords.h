#pragma once

#include <QColor>
#include <QSize>

class QLabel;
class QWidget;

//! The words of the pages (headings, instructions, captions), set as text
//! labels over the page pictures in the pictures' own typeface, so that they
//! are sharp at every scale, read by screen readers and translated.
namespace pagewords {

enum class Anchor
{
    Left,
    Centre
};

//! One text on a page. Places are fractions of the window, sizes and letter
//! spacing fractions of its height, as on the pictures they were drawn on.
struct Word
{
    int page;
    const char *text;
    double x;       //!< left edge, or centre for Anchor::Centre
    double centreY; //!< middle of the line
    double size;    //!< the font's pixel size
    double tracking;
    QColor colour;
    Anchor anchor;
    double width; //!< room to the right of a left-anchored text
};

//! Every word of the five pages, in reading order per page.
const Word *words(int &count);

//! Adds the words to @a pages (the five pages in index order) of a window of
//! @a window logical pixels. The labels lie under the page's other widgets
//! and let the mouse through, so buttons behave as before.
void addTo(QWidget *const pages[], const QSize &window);

} // namespace pagewords
