#pragma once

#include "sim/BootloaderModel.h"
#include "sim/FaultPlan.h"
#include "sim/FlashMemory.h"
#include "sim/ReportLink.h"
#include "sim/SimConfig.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vornsim {

//! The in-process controller in update mode: plugged in (or not), its
//! bootloader, its flash and the link that the host's handles read from.
//! Every member is called with the caller's lock held; waits release it
//! through @a lock and are woken through the shared condition variable.
class VirtualController
{
public:
    static const wchar_t *const kManufacturer;
    static const wchar_t *const kProduct;

    //! Problems met while setting up (an unreadable flash file, faults
    //! that do not parse) are appended to @a warnings.
    VirtualController(const SimConfig &config, const ControllerSlot &slot, std::condition_variable &wake,
                      std::vector<std::string> &warnings);
    ~VirtualController();

    const Variant *variant() const { return m_variant; }
    const std::wstring &serialNumber() const { return m_serialNumber; }
    //! Device path of the plugged-in controller.
    std::string path() const;
    //! True when @a path names the plugged-in controller, in any of the
    //! forms that hidapi users write for it.
    bool isOwnPath(const std::string &path) const;

    //! A link to the controller when it is plugged in and matches; hidapi's
    //! rules: exact IDs, a null serial number matches any, any other must
    //! equal the controller's.
    std::shared_ptr<ReportLink> open(uint16_t vendorId, uint16_t productId, const wchar_t *serial);
    //! True when an open of the plugged-in controller by these IDs or by
    //! @a path is to fail as a permission refusal does (the denied fault).
    bool refusesOpen(uint16_t vendorId, uint16_t productId, const wchar_t *serial) const;
    bool refusesOpenPath(const std::string &path) const;
    std::shared_ptr<ReportLink> openPath(const std::string &path);
    void close(ReportLink &link);

    //! hidapi's hid_write and hid_read_timeout on @a link.
    int write(ReportLink &link, const uint8_t *data, size_t length, std::unique_lock<std::mutex> &lock);
    int read(ReportLink &link, uint8_t *data, size_t length, int timeoutMs, std::unique_lock<std::mutex> &lock);

    //! Plugs in a controller of @a variant (null: unplugs it); flash stays.
    void plug(const Variant *variant);

    //! Leaves the process for good: the flash is written a last time and
    //! every handle sees an unplugged device. Nothing is written afterwards,
    //! even by handles that are still blocked in a read.
    void retire();

    //! Writes a changed flash to its file; a failure is reported once on
    //! standard error.
    void saveFlash();

private:
    bool matches(uint16_t vendorId, uint16_t productId, const wchar_t *serial) const;
    std::shared_ptr<ReportLink> attach();
    void unplugAndReplug();

    std::condition_variable &m_wake;
    const std::wstring m_serialNumber;
    const std::string m_instance;
    const Variant *m_variant;
    TimingModel m_timing;
    FlashMemory m_flash;
    FaultPlan m_faults;
    BootloaderModel m_model;
    std::shared_ptr<ReportLink> m_link;
    bool m_saveFailed = false;
    bool m_retired = false;
};

} // namespace vornsim
