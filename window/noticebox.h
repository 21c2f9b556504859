#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

class QWidget;

//! The one message the window shows at a time, as a window-modal box that
//! does not wait: the sequence and its polling go on behind it.
class NoticeBox
{
public:
    enum class Kind
    {
        Failure,
        Information
    };

    explicit NoticeBox(QWidget *window);

    //! Shows @a text, replacing the message shown before; @a details (the
    //! update's log) are offered behind the box's details button, to copy.
    void show(const QString &text, Kind kind, const QString &details = QString());
    //! The box of the message shown last; null until one was shown.
    QMessageBox *box() const { return current.data(); }

private:
    QWidget *window;
    QPointer<QMessageBox> current;
};
