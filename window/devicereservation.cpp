#include "window/devicereservation.h"

#include "driver/devicelock.h"
#include "window/updatetexts.h"

#include <QLabel>

#include <string>

DeviceReservation::DeviceReservation(QLabel *hintLabel)
    : label(hintLabel)
{
    label->hide();
}

DeviceReservation::~DeviceReservation() = default;

bool DeviceReservation::claim(quint16 vid, quint16 pid)
{
    if (lock)
    {
        return true;
    }
    const std::string path = vorn::enumeratedDevicePath(vid, pid);
    std::string reason;
    if (!path.empty())
    {
        lock = vorn::DeviceLock::tryLock(path, &reason);
    }
    if (path.empty() || lock)
    {
        label->hide();
        return true;
    }
    const bool busy = reason.rfind(vorn::kDeviceBusyReason, 0) == 0;
    label->setText(busy ? updatetexts::text(updatetexts::kControllerBusy) : QString::fromStdString(reason));
    label->show();
    return false;
}

void DeviceReservation::release()
{
    lock.reset();
}
