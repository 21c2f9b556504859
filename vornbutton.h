#ifndef VORNBUTTON_H
#define VORNBUTTON_H

#include "widgets/hoverpictures.h"

#include <QLabel>

class QEvent;

// The update button: a picture that brightens while the mouse is over it and
// reports a click on every mouse-button release.
class vornButton : public QLabel
{
    Q_OBJECT

public:
    vornButton();
    ~vornButton() override;

    bool hover;

signals:
    void vornButtonClicked();

public slots:
    void slotVornButtonClicked();

protected:
    bool event(QEvent *e) override;
    void enterEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    HoverPictures pictures;
};

#endif // VORNBUTTON_H
