#include "window/noticebox.h"

#include <QWidget>

NoticeBox::NoticeBox(QWidget *parentWindow)
    : window(parentWindow)
{
}

void NoticeBox::show(const QString &text, Kind kind, const QString &details)
{
    if (!current)
    {
        current = new QMessageBox(window);
        current->setWindowTitle(window->windowTitle());
        current->setStandardButtons(QMessageBox::Ok);
    }
    current->setIcon(kind == Kind::Failure ? QMessageBox::Warning : QMessageBox::Information);
    current->setText(text);
    current->setDetailedText(details);
    // Not exec(): that would wait in a nested event loop.
    current->open();
}
