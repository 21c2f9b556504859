#pragma once

#include <QtGlobal>

#include <memory>

class QLabel;

namespace vorn {
class DeviceLock;
}

//! The window's hold on the controller it updates: taken for the version
//! read that may lead to an update and kept through the erase, the write and
//! the reset, so that no other program sends anything in between. While
//! another program holds the controller, the connect page's hint says so.
class DeviceReservation
{
public:
    //! @a label is hidden until the controller is found in use.
    explicit DeviceReservation(QLabel *label);
    ~DeviceReservation();

    //! True when the window may send to the controller of @a vid : @a pid: it
    //! holds its lock now, or no such controller is listed (the open fails
    //! then anyway). False while another program holds it, or the lock cannot
    //! be taken; the hint then says which. Only while no engine run uses
    //! hidapi, because it lists the devices.
    bool claim(quint16 vid, quint16 pid);
    void release();

private:
    QLabel *label;
    std::unique_ptr<vorn::DeviceLock> lock;
};
