#pragma once

#include <QtGlobal>

class QLabel;

//! The connect page's hint for a controller that is plugged in but may not be
//! opened: after a failed open it looks the refused variant up among the
//! listed devices, and shows the hint while one such controller is there.
class AccessHint
{
public:
    //! @a label is hidden until a refused controller is found.
    explicit AccessHint(QLabel *label);

    //! The version read of variant @a index could not open its controller.
    void openFailed(int index);
    //! A controller answered: nothing is refused any more.
    void controllerAnswered();
    //! Looks up a failed open noted since the last call; only while no engine
    //! run uses hidapi.
    void check();

private:
    QLabel *label;
    //! Variants (bit = index) whose open failed while they were plugged in.
    quint8 refusedVariants = 0;
    //! Variant whose open failed and is still to be looked up; -1 for none.
    int pendingCheck = -1;
};
