#ifndef VORNBUTTON_H
#define VORNBUTTON_H

#include "widgets/hoverpictures.h"

#include <QLabel>
#include <QString>

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

    //! Sets the word drawn over the button's picture.
    void setWord(const QString &word);
    QString word() const;

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
    QString shownWord;
};

#endif // VORNBUTTON_H
