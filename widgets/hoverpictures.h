#pragma once

#include <QPixmap>

class QLabel;

//! The two pictures of a picture button, decoded once, and the swap between
//! them as the mouse enters and leaves.
class HoverPictures
{
public:
    HoverPictures(const char *normal, const char *hover);

    //! Shows the normal picture and the transparent style on a new button.
    void showNormal(QLabel &button) const;
    //! Shows the picture for the mouse being over @a button or not, unless
    //! @a hovered already says so; @a hovered then follows.
    void follow(QLabel &button, bool &hovered, bool over) const;

private:
    QPixmap normal;
    QPixmap hover;
};
