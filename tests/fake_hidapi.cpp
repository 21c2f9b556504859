#include "fake_hidapi.h"

#include <hidapi.h>

#include <algorithm>

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

} // extern "C"
