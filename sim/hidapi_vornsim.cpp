// The hidapi functions that the engine calls, answered by the virtual
// controller in this process or by a device model behind a Unix socket.

#include "sim/SimConfig.h"
#include "sim/SocketBridge.h"
#include "sim/Trace.h"
#include "sim/VirtualController.h"
#include "sim/vornsim_control.h"

#include <hidapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace vornsim {
class VirtualController;
}

struct hid_device_
{
    std::shared_ptr<vornsim::VirtualController> controller; //!< in-process controller
    std::shared_ptr<vornsim::ReportLink> link;
    std::unique_ptr<vornsim::SocketDevice> socket; //!< external device
    std::shared_ptr<vornsim::Trace> trace;
    std::wstring error;
};

namespace {

using vornsim::VirtualController;

// The texts of hidapi's hidraw library for the same situations.
const wchar_t kNoError[] = L"Success";
const wchar_t kErrorReadGone[] = L"hid_read_timeout: unexpected poll error (device disconnected)";
const wchar_t kErrorWriteGone[] = L"No such device";
const wchar_t kErrorNoDevices[] = L"No HID devices with requested VID/PID found in the system.";
const wchar_t kErrorNoSerial[] = L"Device with requested VID/PID/(SerialNumber) not found";
const wchar_t kErrorArgument[] = L"Invalid argument";

struct SimState
{
    vornsim::SimConfig config;
    std::shared_ptr<vornsim::Trace> trace;
    //! In enumeration order; empty when a socket device stands in.
    std::vector<std::shared_ptr<VirtualController>> controllers;
};

std::mutex g_mutex;
std::condition_variable g_wake;
std::unique_ptr<SimState> g_state;
std::wstring g_error;

//! hidapi's per-handle error: a reader and a writer may set it at once.
void setError(hid_device *device, const wchar_t *text)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    device->error = text;
}

std::wstring openPathError(const std::string &path, const std::string &reason)
{
    return vornsim::decodeUtf8("Failed to open a device with path '" + path + "': " + reason);
}

void warn(const std::string &text)
{
    std::fprintf(stderr, "vornsim: %s\n", text.c_str());
}

//! Builds the state from the environment; the caller holds g_mutex.
void buildState()
{
    // The old controller goes first, so that its flash file is written
    // before a new one reads it.
    if (g_state)
    {
        for (const std::shared_ptr<VirtualController> &controller : g_state->controllers)
        {
            controller->retire();
        }
    }
    g_state.reset();
    auto state = std::make_unique<SimState>();
    state->config = vornsim::readEnvironment();
    std::vector<std::string> warnings = state->config.warnings;
    if (!state->config.tracePath.empty())
    {
        std::string error;
        state->trace = std::make_shared<vornsim::Trace>(state->config.tracePath, error);
        if (!state->trace->isOpen())
        {
            warnings.push_back(error);
        }
    }
    if (state->config.socketPath.empty())
    {
        for (const vornsim::ControllerSlot &slot : vornsim::controllerSlots(state->config))
        {
            state->controllers.push_back(std::make_shared<VirtualController>(state->config, slot, g_wake, warnings));
        }
    }
    for (const std::string &warning : warnings)
    {
        warn(warning);
    }
    g_state = std::move(state);
}

SimState &state()
{
    if (!g_state)
    {
        buildState();
    }
    return *g_state;
}

hid_device *newHandle(SimState &sim)
{
    hid_device *device = new hid_device;
    device->trace = sim.trace;
    g_error.clear();
    return device;
}

//! A handle on the in-process controller, or null with @a failure as the
//! library's error when it did not open.
hid_device *withLink(SimState &sim, const std::shared_ptr<VirtualController> &controller,
                     std::shared_ptr<vornsim::ReportLink> link, const std::wstring &failure)
{
    if (!link)
    {
        g_error = failure;
        return nullptr;
    }
    hid_device *device = newHandle(sim);
    device->controller = controller;
    device->link = std::move(link);
    return device;
}

//! No handle, with the text that hidapi's hidraw back end leaves when the
//! device node refuses this user.
hid_device *refused(const std::string &path)
{
    g_error = openPathError(path, "Permission denied");
    return nullptr;
}

//! The sockets of the devices behind the bridge: the one path, or one per
//! numbered controller.
std::vector<std::string> socketPaths(const SimState &sim)
{
    std::vector<std::string> paths;
    for (unsigned k = sim.config.controllers == 0 ? 0 : 1; k <= sim.config.controllers; ++k)
    {
        paths.push_back(vornsim::numberedSocketPath(sim.config.socketPath, k));
    }
    return paths;
}

hid_device *openSocketAt(SimState &sim, const std::string &socketPath, const char *path, unsigned short vendorId,
                         unsigned short productId, const wchar_t *serial)
{
    std::string error;
    std::unique_ptr<vornsim::SocketDevice> socket = vornsim::SocketDevice::connect(socketPath, error);
    vornsim::DeviceIdentity identity;
    if (socket && path && !socket->sendPath(path))
    {
        error = "device closed the connection";
        socket.reset();
    }
    if (socket && !socket->awaitIdentity(identity, error))
    {
        socket.reset();
    }
    if (!socket)
    {
        g_error = path ? openPathError(path, error) : kErrorNoDevices;
        return nullptr;
    }
    if (!path && (identity.vendorId != vendorId || identity.productId != productId))
    {
        g_error = kErrorNoDevices;
        return nullptr;
    }
    if (!path && serial && identity.serialNumber != serial)
    {
        g_error = kErrorNoSerial;
        return nullptr;
    }
    hid_device *device = newHandle(sim);
    device->socket = std::move(socket);
    return device;
}

//! By path: the numbered socket of that name, else the first one. By IDs:
//! the first device that matches.
hid_device *openSocket(SimState &sim, const char *path, unsigned short vendorId, unsigned short productId,
                       const wchar_t *serial)
{
    const std::vector<std::string> paths = socketPaths(sim);
    if (path)
    {
        auto named = std::find(paths.begin(), paths.end(), std::string(path));
        return openSocketAt(sim, named == paths.end() ? paths.front() : *named, path, vendorId, productId, serial);
    }
    hid_device *device = nullptr;
    for (size_t i = 0; !device && i < paths.size(); ++i)
    {
        device = openSocketAt(sim, paths[i], path, vendorId, productId, serial);
    }
    return device;
}

wchar_t *copyWide(const std::wstring &text)
{
    wchar_t *copy = static_cast<wchar_t *>(std::calloc(text.size() + 1, sizeof(wchar_t)));
    if (copy)
    {
        std::wmemcpy(copy, text.c_str(), text.size());
    }
    return copy;
}

hid_device_info *newInfo(const std::string &path, unsigned short vendorId, unsigned short productId,
                         const std::wstring &serial, const std::wstring &manufacturer, const std::wstring &product)
{
    auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
    if (!info)
    {
        return nullptr;
    }
    info->path = strdup(path.c_str());
    info->vendor_id = vendorId;
    info->product_id = productId;
    info->serial_number = copyWide(serial);
    info->release_number = 0x0100;
    info->manufacturer_string = copyWide(manufacturer);
    info->product_string = copyWide(product);
    info->usage_page = 0xFF00;
    info->usage = 0x01;
    info->interface_number = 0;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

bool wanted(unsigned short filter, unsigned short id)
{
    return filter == 0 || filter == id;
}

} // namespace

int HID_API_EXPORT hid_init(void)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    state();
    g_error.clear();
    return 0;
}

int HID_API_EXPORT hid_exit(void)
{
    // The controller outlives the library's users: the application erases,
    // writes and resets in separate runs that each end with hid_exit.
    std::lock_guard<std::mutex> guard(g_mutex);
    if (g_state)
    {
        for (const std::shared_ptr<VirtualController> &controller : g_state->controllers)
        {
            controller->saveFlash();
        }
    }
    g_error.clear();
    return 0;
}

namespace {

hid_device_info *enumerateController(const VirtualController &controller, unsigned short vendor_id,
                                     unsigned short product_id)
{
    const vornsim::Variant *variant = controller.variant();
    if (!variant || !wanted(vendor_id, vornsim::kVendorId) || !wanted(product_id, variant->updatePid))
    {
        return nullptr;
    }
    return newInfo(controller.path(), vornsim::kVendorId, variant->updatePid, controller.serialNumber(),
                   VirtualController::kManufacturer, VirtualController::kProduct);
}

hid_device_info *enumerateSocket(const std::string &socketPath, unsigned short vendor_id, unsigned short product_id)
{
    std::string error;
    std::unique_ptr<vornsim::SocketDevice> socket = vornsim::SocketDevice::connect(socketPath, error);
    vornsim::DeviceIdentity identity;
    if (!socket || !socket->awaitIdentity(identity, error))
    {
        return nullptr;
    }
    if (!wanted(vendor_id, identity.vendorId) || !wanted(product_id, identity.productId))
    {
        return nullptr;
    }
    return newInfo(socketPath, identity.vendorId, identity.productId, identity.serialNumber, L"", L"");
}

hid_device_info *enumerate(SimState &sim, unsigned short vendor_id, unsigned short product_id)
{
    hid_device_info *first = nullptr;
    hid_device_info **next = &first;
    auto append = [&next](hid_device_info *info) {
        if (info)
        {
            *next = info;
            next = &info->next;
        }
    };
    if (sim.config.socketPath.empty())
    {
        for (const std::shared_ptr<VirtualController> &controller : sim.controllers)
        {
            append(enumerateController(*controller, vendor_id, product_id));
        }
    }
    else
    {
        for (const std::string &socketPath : socketPaths(sim))
        {
            append(enumerateSocket(socketPath, vendor_id, product_id));
        }
    }
    return first;
}

} // namespace

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    hid_device_info *devices = enumerate(state(), vendor_id, product_id);
    if (devices)
    {
        g_error.clear();
    }
    else
    {
        g_error = vendor_id == 0 && product_id == 0 ? L"No HID devices found in the system." : kErrorNoDevices;
    }
    return devices;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs)
    {
        hid_device_info *next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open(unsigned short vendor_id, unsigned short product_id,
                                                  const wchar_t *serial_number)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    SimState &sim = state();
    if (sim.controllers.empty())
    {
        return openSocket(sim, nullptr, vendor_id, product_id, serial_number);
    }
    bool present = false;
    for (const std::shared_ptr<VirtualController> &controller : sim.controllers)
    {
        if (controller->refusesOpen(vendor_id, product_id, serial_number))
        {
            return refused(controller->path());
        }
        const vornsim::Variant *variant = controller->variant();
        present = present || (variant && vendor_id == vornsim::kVendorId && product_id == variant->updatePid);
        if (std::shared_ptr<vornsim::ReportLink> link = controller->open(vendor_id, product_id, serial_number))
        {
            return withLink(sim, controller, std::move(link), L"");
        }
    }
    return withLink(sim, nullptr, nullptr, present ? kErrorNoSerial : kErrorNoDevices);
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open_path(const char *path)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    SimState &sim = state();
    if (!path)
    {
        g_error = kErrorArgument;
        return nullptr;
    }
    if (sim.controllers.empty())
    {
        return openSocket(sim, path, 0, 0, nullptr);
    }
    for (const std::shared_ptr<VirtualController> &controller : sim.controllers)
    {
        if (controller->refusesOpenPath(path))
        {
            return refused(path);
        }
        if (std::shared_ptr<vornsim::ReportLink> link = controller->openPath(path))
        {
            return withLink(sim, controller, std::move(link), L"");
        }
    }
    return withLink(sim, nullptr, nullptr, openPathError(path, "No such file or directory"));
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    if (!dev || !data || length == 0)
    {
        if (dev)
        {
            setError(dev, kErrorArgument);
        }
        return -1;
    }
    if (dev->trace)
    {
        dev->trace->hostWrote(data, length);
    }
    int result = -1;
    if (dev->socket)
    {
        result = dev->socket->write(data, length);
    }
    else
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        if (dev->controller && dev->link)
        {
            result = dev->controller->write(*dev->link, data, length, lock);
        }
    }
    setError(dev, result < 0 ? kErrorWriteGone : L"");
    return result;
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device *dev, unsigned char *data, size_t length,
                                                 int milliseconds)
{
    if (!dev || (!data && length > 0))
    {
        if (dev)
        {
            setError(dev, kErrorArgument);
        }
        return -1;
    }
    // Every read starts with no error, a time-out included.
    setError(dev, L"");
    int result = -1;
    if (dev->socket)
    {
        result = dev->socket->read(data, length, milliseconds);
    }
    else
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        if (dev->controller && dev->link)
        {
            result = dev->controller->read(*dev->link, data, length, milliseconds, lock);
        }
    }
    if (result < 0)
    {
        setError(dev, kErrorReadGone);
    }
    else if (result > 0 && dev->trace)
    {
        dev->trace->hostRead(data, static_cast<size_t>(result));
    }
    return result;
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    return hid_read_timeout(dev, data, length, -1);
}

HID_API_EXPORT const wchar_t *HID_API_CALL hid_error(hid_device *dev)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    const std::wstring &error = dev ? dev->error : g_error;
    return error.empty() ? kNoError : error.c_str();
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device *dev)
{
    if (!dev)
    {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        if (dev->controller && dev->link)
        {
            dev->controller->close(*dev->link);
        }
    }
    delete dev;
}

void vornsim_reconfigure()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    buildState();
    g_wake.notify_all();
}

void vornsim_set_variant(const char *variant)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    for (const std::shared_ptr<VirtualController> &controller : state().controllers)
    {
        controller->plug(variant ? vornsim::findVariant(variant) : nullptr);
    }
}
