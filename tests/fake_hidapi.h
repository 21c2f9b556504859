#pragma once

// Scripted stand-in for hidapi in the transport tests: it records what the
// host does with the library and serves the input that a test queues.

#include <cstdint>
#include <string>
#include <vector>

namespace fakehid {

using Bytes = std::vector<uint8_t>;

//! A device that hid_open / hid_open_path can find.
struct Device
{
    unsigned short vendorId;
    unsigned short productId;
    std::wstring serialNumber;
    std::string path;
};

//! One hid_open or hid_open_path call as the host made it.
struct OpenCall
{
    bool byPath = false;
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    bool serialGiven = false; //!< false when the host passed no serial at all
    std::wstring serialNumber;
    std::string path;
    int openedDevice = -1; //!< index into the device list, -1 when none matched
};

//! One hid_read_timeout call.
struct ReadCall
{
    size_t length;
    int milliseconds;
};

//! Forgets all devices, scripts and records.
void reset();

//! Plugs a device in; returns its index.
int addDevice(unsigned short vendorId, unsigned short productId, const std::wstring &serialNumber = L"",
              const std::string &path = "");

//! Input, served in order by hid_read_timeout / hid_read. With the script
//! empty a read times out (returns 0).
void queueReport(const Bytes &report);
void queueTimeout();
void queueReadFailure();
size_t pendingInput();

//! The next @a count writes fail with -1; hid_error then answers @a error
//! (null for no text).
void failWrites(int count, const wchar_t *error);

const std::vector<OpenCall> &openCalls();
const std::vector<ReadCall> &readCalls();
//! Every report the host wrote, exactly as handed to hid_write.
const std::vector<Bytes> &writtenReports();

int openHandles();
int closeCount();
int exitCount();
//! Calls made with a handle that is not open (closed or never opened).
int misuseCount();

} // namespace fakehid
