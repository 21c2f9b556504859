#ifndef VORNCLOSEBUTTON_H
#define VORNCLOSEBUTTON_H

#include "widgets/hoverpictures.h"

#include <QLabel>
#include <QString>

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

    //! Sets the word drawn over the button's picture.
    void setWord(const QString &word);
    QString word() const;

signals:
    void vornCloseClicked();

protected:
    bool event(QEvent *e) override;
    void enterEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    HoverPictures pictures;
    QString shownWord;
};

#endif // VORNCLOSEBUTTON_H
