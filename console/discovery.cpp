#include "console/discovery.h"

#include <hidapi.h>

std::vector<FoundController> findControllers()
{
    std::vector<FoundController> found;
    for (const vorn::ControllerVariant &variant : vorn::kVariants)
    {
        hid_device_info *devices = hid_enumerate(vorn::kVendorId, variant.updatePid);
        for (const hid_device_info *device = devices; device; device = device->next)
        {
            FoundController controller;
            controller.path = QString::fromLocal8Bit(device->path ? device->path : "");
            controller.variant = &variant;
            controller.serial = device->serial_number ? QString::fromWCharArray(device->serial_number) : QString();
            found.push_back(controller);
        }
        hid_free_enumeration(devices);
    }
    return found;
}

UpdateEvent eventAbout(const FoundController &controller, UpdateEvent::Kind kind)
{
    UpdateEvent event;
    event.kind = kind;
    event.device = controller.path;
    event.serial = controller.serial;
    event.variant = QLatin1String(controller.variant->name);
    return event;
}

UpdateEvent resultAbout(const FoundController &controller, UpdateEvent::Outcome outcome, const QString &message)
{
    UpdateEvent result = eventAbout(controller, UpdateEvent::Kind::Result);
    result.outcome = outcome;
    result.message = message;
    return result;
}
