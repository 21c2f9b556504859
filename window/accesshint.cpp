#include "window/accesshint.h"

#include "blfwk/UsbHidPresence.h"
#include "product/controller_variants.h"

#include <QLabel>

AccessHint::AccessHint(QLabel *hintLabel)
    : label(hintLabel)
{
    label->hide();
}

void AccessHint::openFailed(int index)
{
    pendingCheck = index;
}

void AccessHint::controllerAnswered()
{
    refusedVariants = 0;
    label->hide();
}

void AccessHint::check()
{
    if (pendingCheck < 0)
    {
        return;
    }
    refusedVariants |= static_cast<quint8>(1u << pendingCheck);
    pendingCheck = -1;
    // Listing opens nothing, so a refused controller is listed as well.
    for (int i = 0; i < vorn::kVariantCount; ++i)
    {
        if ((refusedVariants & (1u << i)) &&
            !blfwk::isUsbHidDevicePresent(vorn::kVendorId, vorn::kVariants[i].updatePid))
        {
            refusedVariants &= static_cast<quint8>(~(1u << i));
        }
    }
    label->setVisible(refusedVariants != 0);
}
