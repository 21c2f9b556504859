#ifndef VORNCLOSEBUTTON_H
#define VORNCLOSEBUTTON_H

#include "widgets/hoverpictures.h"

#include <QLabel>

class QEvent;

// The close button of the finished page: a picture that brightens while the
// mouse is over it and reports a click on every mouse-button release.
class vornCloseButton : public QLabel
{
    Q_OBJECT

public:
    vornCloseButton();
    ~vornCloseButton() override;

    bool hover;

signals:
    void vornCloseClicked();

protected:
    bool event(QEvent *e) override;
    void enterEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    HoverPictures pictures;
};

#endif // VORNCLOSEBUTTON_H
