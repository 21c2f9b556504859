#include "sim/VirtualController.h"

#include "sim/FirmwareImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace vornsim {

namespace {

const char kHidClassSuffix[] = "#{4d1e55b2-f16f-11cf-88cb-001111000030}";

//! Brings a device path or device instance identifier into one form:
//! "\\?\" prefix, '#' separators, the HID class suffix, lower case.
std::string canonicalPath(std::string path)
{
    bool prefixed = path.size() >= 4 && path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?') &&
                    path[3] == '\\';
    path = prefixed ? "\\\\?\\" + path.substr(4) : "\\\\?\\" + path;
    std::replace(path.begin() + 4, path.end(), '\\', '#');
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    size_t suffix = sizeof(kHidClassSuffix) - 1;
    if (path.size() < suffix || path.compare(path.size() - suffix, suffix, kHidClassSuffix) != 0)
    {
        path += kHidClassSuffix;
    }
    return path;
}

//! How late a host may hand in its next report and still count as keeping
//! up: a thread that wakes a little after its report was done is not the
//! device's time. A longer pause is the host's own and starts a new schedule.
constexpr auto kScheduleSlack = std::chrono::milliseconds(50);

//! Where the transfer of a report written now starts: right after the
//! device's last report when the host kept up, so that the oversleeps of
//! its thread never add up over a transfer; otherwise now.
Clock::time_point scheduleStart(const ReportLink &link)
{
    Clock::time_point now = Clock::now();
    return now - link.scheduleAt <= kScheduleSlack ? link.scheduleAt : now;
}

} // namespace

const wchar_t *const VirtualController::kManufacturer = L"VORN";
const wchar_t *const VirtualController::kProduct = L"Kelvo Pro Wired (update mode)";

VirtualController::VirtualController(const SimConfig &config, const ControllerSlot &slot,
                                     std::condition_variable &wake, std::vector<std::string> &warnings)
    : m_wake(wake)
    , m_serialNumber(slot.serialNumber)
    , m_instance(slot.instance)
    , m_variant(config.variant)
    , m_timing(config.fullSpeed)
    , m_flash(buildFactoryFlash(config.variant ? *config.variant : defaultVariant(), config.version))
    , m_faults(FaultPlan::parse(slot.faults, warnings))
    , m_model(m_flash, m_faults, config.maxPacketSize)
    , m_link(std::make_shared<ReportLink>())
{
    std::string error;
    if (!slot.flashPath.empty() && !m_flash.attachFile(slot.flashPath, error))
    {
        warnings.push_back(error + "; flash lives in memory only");
    }
}

VirtualController::~VirtualController()
{
    retire();
}

void VirtualController::retire()
{
    saveFlash();
    m_retired = true;
    m_link->cut();
    m_wake.notify_all();
}

std::string VirtualController::path() const
{
    char path[128];
    std::snprintf(path, sizeof(path), "\\\\?\\hid#vid_%04x&pid_%04x#%s%s", kVendorId,
                  m_variant ? m_variant->updatePid : 0, m_instance.c_str(), kHidClassSuffix);
    return path;
}

bool VirtualController::isOwnPath(const std::string &path) const
{
    return m_variant && !path.empty() && canonicalPath(path) == this->path();
}

bool VirtualController::matches(uint16_t vendorId, uint16_t productId, const wchar_t *serial) const
{
    if (m_retired || !m_variant || vendorId != kVendorId || productId != m_variant->updatePid)
    {
        return false;
    }
    // As hidapi compares: an empty serial number matches only an empty one.
    return !serial || m_serialNumber == serial;
}

std::shared_ptr<ReportLink> VirtualController::open(uint16_t vendorId, uint16_t productId, const wchar_t *serial)
{
    return matches(vendorId, productId, serial) && !m_faults.deniesAccess() ? attach() : nullptr;
}

std::shared_ptr<ReportLink> VirtualController::openPath(const std::string &path)
{
    return !m_retired && isOwnPath(path) && !m_faults.deniesAccess() ? attach() : nullptr;
}

bool VirtualController::refusesOpen(uint16_t vendorId, uint16_t productId, const wchar_t *serial) const
{
    return m_faults.deniesAccess() && matches(vendorId, productId, serial);
}

bool VirtualController::refusesOpenPath(const std::string &path) const
{
    return m_faults.deniesAccess() && !m_retired && isOwnPath(path);
}

std::shared_ptr<ReportLink> VirtualController::attach()
{
    // Like a freshly opened device file: input that nobody was reading is
    // not handed to a new reader.
    if (m_link->openHandles == 0)
    {
        m_link->discardQueued();
    }
    ++m_link->openHandles;
    return m_link;
}

void VirtualController::close(ReportLink &link)
{
    --link.openHandles;
    saveFlash();
}

int VirtualController::write(ReportLink &link, const uint8_t *data, size_t length, std::unique_lock<std::mutex> &lock)
{
    if (m_retired || link.state() != ReportLink::State::Live)
    {
        return -1;
    }
    Clock::time_point done = std::max(scheduleStart(link), link.busyUntil) + m_timing.transfer(length);
    while (Clock::now() < done)
    {
        m_wake.wait_until(lock, done);
        if (m_retired || link.state() != ReportLink::State::Live)
        {
            return -1;
        }
    }

    HostReportOutcome outcome = m_model.takeHostReport(data, length);
    if (outcome.dropPending)
    {
        link.discardQueued();
    }
    if (!outcome.reports.empty() || outcome.unplugNow || outcome.restart)
    {
        // A following process must find what this answer reports as done.
        saveFlash();
    }
    Clock::time_point ready = done + m_timing.flashWork(outcome.busyUs);
    link.busyUntil = ready;
    link.scheduleAt = done;
    link.queue(std::move(outcome.reports), ready, m_timing);

    if (outcome.unplugNow)
    {
        unplugAndReplug();
    }
    else if (outcome.restart)
    {
        link.close();
        m_model.restart();
        m_link = std::make_shared<ReportLink>();
    }
    m_wake.notify_all();
    return static_cast<int>(length);
}

int VirtualController::read(ReportLink &link, uint8_t *data, size_t length, int timeoutMs,
                            std::unique_lock<std::mutex> &lock)
{
    bool forever = timeoutMs < 0;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    while (true)
    {
        if (m_retired || link.state() == ReportLink::State::Gone)
        {
            return -1;
        }
        Clock::time_point now = Clock::now();
        if (link.hasQueued() && link.front().readyAt <= now)
        {
            ReportLink::Pending report = link.takeFront();
            link.scheduleAt = std::max(link.scheduleAt, report.readyAt);
            size_t count = std::min(length, report.bytes.size());
            std::copy_n(report.bytes.data(), count, data);
            if (report.unplugAfter && &link == m_link.get())
            {
                unplugAndReplug();
                m_wake.notify_all();
            }
            return static_cast<int>(count);
        }
        if (!link.hasQueued() && link.state() == ReportLink::State::Closing)
        {
            link.cut();
            return -1;
        }
        if (!forever && now >= deadline)
        {
            return 0;
        }
        if (link.hasQueued())
        {
            Clock::time_point wake = link.front().readyAt;
            m_wake.wait_until(lock, forever ? wake : std::min(wake, deadline));
        }
        else if (forever)
        {
            m_wake.wait(lock);
        }
        else
        {
            m_wake.wait_until(lock, deadline);
        }
    }
}

void VirtualController::plug(const Variant *variant)
{
    if (m_retired)
    {
        return;
    }
    m_variant = variant;
    unplugAndReplug();
    m_wake.notify_all();
}

void VirtualController::unplugAndReplug()
{
    m_link->cut();
    saveFlash();
    m_model.restart();
    m_link = std::make_shared<ReportLink>();
}

void VirtualController::saveFlash()
{
    std::string error;
    if (m_retired)
    {
        return;
    }
    if (!m_flash.saveIfChanged(error) && !m_saveFailed)
    {
        // Said once: the same failure would otherwise repeat with every answer.
        m_saveFailed = true;
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
    }
}

} // namespace vornsim
