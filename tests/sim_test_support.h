#pragma once

#include <hidapi.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kVid = 0x3b7c;
constexpr uint16_t kBlackPid = 0x5e03;

//! Sets the controller's variables for one test (all others unset) and
//! rebuilds it; restores a default controller afterwards.
class SimEnvironment
{
public:
    using Variables = std::initializer_list<std::pair<const char *, std::string>>;

    explicit SimEnvironment(Variables variables = {});
    SimEnvironment(const SimEnvironment &) = delete;
    SimEnvironment &operator=(const SimEnvironment &) = delete;
    ~SimEnvironment();
};

//! A directory of its own under the system's temporary directory, removed
//! with everything in it at the end.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

Bytes commandReport(uint8_t tag, const std::vector<uint32_t> &params, uint8_t flags = 0);
Bytes dataReport(const Bytes &data);
//! A response report as the bootloader frames it: report 3, header, words.
Bytes responseReport(uint8_t tag, uint8_t flags, const std::vector<uint32_t> &words);
Bytes genericReport(uint32_t status, uint8_t tag);
//! Little-endian word at @a offset of the packet inside @a report.
uint32_t packetWord(const Bytes &report, size_t offset);
//! Announced packet length of @a report.
uint16_t packetLength(const Bytes &report);

//! One open handle on the controller, with raw report traffic.
class Host
{
public:
    explicit Host(uint16_t pid = kBlackPid, const wchar_t *serial = nullptr);
    explicit Host(const char *path);
    ~Host();
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    bool isOpen() const { return m_device != nullptr; }
    hid_device *handle() const { return m_device; }
    int write(const Bytes &report);
    //! The next report, empty on time-out or failure (see lastResult).
    Bytes read(int timeoutMs = 1000);
    int lastResult() const { return m_lastResult; }

    //! Sends a command and returns the first answer.
    Bytes exchange(const Bytes &command, int timeoutMs = 1000);
    //! Reads @a count bytes at @a address with read-memory; the data reports'
    //! payloads joined. Fails the test when the exchange goes wrong.
    Bytes readMemory(uint32_t address, uint32_t count);
    //! Writes @a data at @a address in packets of @a packetSize; returns the
    //! status of the final response (or of the first one when it failed).
    uint32_t writeMemory(uint32_t address, const Bytes &data, size_t packetSize = 56);
    uint32_t eraseRegion(uint32_t address, uint32_t count);

private:
    hid_device *m_device;
    int m_lastResult = 0;
};

} // namespace simtest
