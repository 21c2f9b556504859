#pragma once

// Scripted stand-in for hidapi in the transport tests: it records what the
// host does with the library and serves the input that a test queues.

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct hid_device_;

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

struct ReadCall
{
    size_t length;
    int milliseconds;
};

struct State
{
    std::vector<Device> devices;
    //! Served in order by hid_read_timeout: an empty report times out, a
    //! missing one fails. With nothing queued a read times out.
    std::deque<std::optional<Bytes>> input;
    int failingWrites = 0;             //!< the next writes that fail with -1
    const wchar_t *writeError = nullptr; //!< hid_error's text

    //! Per hid_open or hid_open_path call: the index of the device opened, -1 when none matched.
    std::vector<int> opened;
    std::vector<ReadCall> reads;
    std::vector<Bytes> writes; //!< every report exactly as handed to hid_write
    std::set<hid_device_ *> handles;
    int exits = 0;
    int misuses = 0; //!< calls with a handle that is not open
};

//! The fake's whole state; reset() forgets devices, scripts and records.
State &hid();
void reset();

} // namespace fakehid
