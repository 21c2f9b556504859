#include "fake_hidapi.h"

#include <hidapi.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <set>

struct hid_device_
{
    int deviceIndex;
};

namespace fakehid {

namespace {

enum class InputKind
{
    Report,
    Timeout,
    Failure
};

struct Input
{
    InputKind kind;
    Bytes report;
};

struct State
{
    std::vector<Device> devices;
    std::deque<Input> input;
    std::vector<OpenCall> opens;
    std::vector<ReadCall> reads;
    std::vector<Bytes> writes;
    std::set<hid_device *> handles;
    int failingWrites = 0;
    const wchar_t *writeError = nullptr;
    const wchar_t *lastError = nullptr;
    int closes = 0;
    int exits = 0;
    int misuses = 0;
};

State &state()
{
    static State s;
    return s;
}

hid_device *openDevice(int index)
{
    hid_device *handle = new hid_device{ index };
    state().handles.insert(handle);
    return handle;
}

bool isOpen(hid_device *dev)
{
    if (state().handles.count(dev) == 0)
    {
        ++state().misuses;
        return false;
    }
    return true;
}

int readNext(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    state().reads.push_back(ReadCall{ length, milliseconds });
    if (!isOpen(dev))
    {
        return -1;
    }
    if (state().input.empty())
    {
        return 0;
    }
    Input next = state().input.front();
    state().input.pop_front();
    switch (next.kind)
    {
        case InputKind::Timeout:
            return 0;
        case InputKind::Failure:
            return -1;
        case InputKind::Report:
            break;
    }
    size_t count = std::min(length, next.report.size());
    std::memcpy(data, next.report.data(), count);
    return static_cast<int>(count);
}

} // namespace

void reset()
{
    for (hid_device *handle : state().handles)
    {
        delete handle;
    }
    state() = State();
}

int addDevice(unsigned short vendorId, unsigned short productId, const std::wstring &serialNumber,
              const std::string &path)
{
    state().devices.push_back(Device{ vendorId, productId, serialNumber, path });
    return static_cast<int>(state().devices.size()) - 1;
}

void queueReport(const Bytes &report)
{
    state().input.push_back(Input{ InputKind::Report, report });
}

void queueTimeout()
{
    state().input.push_back(Input{ InputKind::Timeout, {} });
}

void queueReadFailure()
{
    state().input.push_back(Input{ InputKind::Failure, {} });
}

size_t pendingInput()
{
    return state().input.size();
}

void failWrites(int count, const wchar_t *error)
{
    state().failingWrites = count;
    state().writeError = error;
}

const std::vector<OpenCall> &openCalls()
{
    return state().opens;
}

const std::vector<ReadCall> &readCalls()
{
    return state().reads;
}

const std::vector<Bytes> &writtenReports()
{
    return state().writes;
}

int openHandles()
{
    return static_cast<int>(state().handles.size());
}

int closeCount()
{
    return state().closes;
}

int exitCount()
{
    return state().exits;
}

int misuseCount()
{
    return state().misuses;
}

} // namespace fakehid

using namespace fakehid;

extern "C" {

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    ++state().exits;
    return 0;
}

hid_device *hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t *serial_number)
{
    OpenCall call;
    call.vendorId = vendor_id;
    call.productId = product_id;
    call.serialGiven = serial_number != nullptr;
    if (serial_number)
    {
        call.serialNumber = serial_number;
    }
    const std::vector<Device> &devices = state().devices;
    for (size_t i = 0; i < devices.size(); ++i)
    {
        // Like hidapi: a given serial number, even an empty one, must match exactly.
        if (devices[i].vendorId == vendor_id && devices[i].productId == product_id &&
            (!serial_number || devices[i].serialNumber == serial_number))
        {
            call.openedDevice = static_cast<int>(i);
            break;
        }
    }
    state().opens.push_back(call);
    return call.openedDevice < 0 ? nullptr : openDevice(call.openedDevice);
}

hid_device *hid_open_path(const char *path)
{
    OpenCall call;
    call.byPath = true;
    call.path = path;
    const std::vector<Device> &devices = state().devices;
    for (size_t i = 0; i < devices.size(); ++i)
    {
        if (!devices[i].path.empty() && devices[i].path == path)
        {
            call.openedDevice = static_cast<int>(i);
            break;
        }
    }
    state().opens.push_back(call);
    return call.openedDevice < 0 ? nullptr : openDevice(call.openedDevice);
}

int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    return readNext(dev, data, length, milliseconds);
}

int hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    return readNext(dev, data, length, -1);
}

int hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    if (!isOpen(dev))
    {
        return -1;
    }
    if (state().failingWrites > 0)
    {
        --state().failingWrites;
        state().lastError = state().writeError;
        return -1;
    }
    state().writes.emplace_back(data, data + length);
    state().lastError = nullptr;
    return static_cast<int>(length);
}

const wchar_t *hid_error(hid_device *dev)
{
    (void)dev;
    return state().lastError;
}

void hid_close(hid_device *dev)
{
    ++state().closes;
    if (isOpen(dev))
    {
        state().handles.erase(dev);
        delete dev;
    }
}

} // extern "C"
