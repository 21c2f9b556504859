#include "fake_hidapi.h"

#include <hidapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

struct hid_device_
{
};

namespace fakehid {

State &hid()
{
    static State s;
    return s;
}

void reset()
{
    for (hid_device *handle : hid().handles)
    {
        delete handle;
    }
    hid() = State();
}

} // namespace fakehid

using fakehid::hid;

namespace {

template <typename Matches>
hid_device *open(Matches matches)
{
    int index = -1;
    for (size_t i = 0; i < hid().devices.size() && index < 0; ++i)
    {
        index = matches(hid().devices[i]) ? static_cast<int>(i) : -1;
    }
    hid().opened.push_back(index);
    if (index < 0)
    {
        return nullptr;
    }
    hid_device *handle = new hid_device;
    hid().handles.insert(handle);
    return handle;
}

bool isOpen(hid_device *dev)
{
    bool open = hid().handles.count(dev) > 0;
    hid().misuses += open ? 0 : 1;
    return open;
}

} // namespace

extern "C" {

int hid_exit(void)
{
    ++hid().exits;
    return 0;
}

hid_device *hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t *serial_number)
{
    // Like hidapi: a given serial number, even an empty one, must match exactly.
    return open([&](const fakehid::Device &device) {
        return device.vendorId == vendor_id && device.productId == product_id &&
               (!serial_number || device.serialNumber == serial_number);
    });
}

hid_device *hid_open_path(const char *path)
{
    return open([&](const fakehid::Device &device) { return !device.path.empty() && device.path == path; });
}

int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    hid().reads.push_back(fakehid::ReadCall{ length, milliseconds });
    if (!isOpen(dev))
    {
        return -1;
    }
    if (hid().input.empty())
    {
        return 0;
    }
    std::optional<fakehid::Bytes> next = hid().input.front();
    hid().input.pop_front();
    if (!next)
    {
        return -1;
    }
    size_t count = std::min(length, next->size());
    std::copy_n(next->begin(), count, data);
    return static_cast<int>(count);
}

int hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    if (!isOpen(dev))
    {
        return -1;
    }
    if (hid().failingWrites > 0)
    {
        --hid().failingWrites;
        return -1;
    }
    hid().writes.emplace_back(data, data + length);
    return static_cast<int>(length);
}

const wchar_t *hid_error(hid_device *)
{
    return hid().writeError;
}

void hid_close(hid_device *dev)
{
    if (isOpen(dev))
    {
        hid().handles.erase(dev);
        delete dev;
    }
}

// Lists the scripted devices as the library does: 0 matches any ID, the list
// is the caller's to free.
struct hid_device_info *hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    struct hid_device_info *first = nullptr;
    struct hid_device_info **next = &first;
    for (const fakehid::Device &device : hid().devices)
    {
        if ((vendor_id != 0 && device.vendorId != vendor_id) || (product_id != 0 && device.productId != product_id))
        {
            continue;
        }
        auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
        info->path = strdup(device.path.c_str());
        info->vendor_id = device.vendorId;
        info->product_id = device.productId;
        info->serial_number = wcsdup(device.serialNumber.c_str());
        *next = info;
        next = &info->next;
    }
    return first;
}

void hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs)
    {
        hid_device_info *next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs);
        devs = next;
    }
}

} // extern "C"
