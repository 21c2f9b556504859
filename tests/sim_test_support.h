#pragma once

#include "packets.h"

#include <hidapi.h>

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace simtest {

using testpackets::Bytes;

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

//! Sets the controller's variables (all others unset) and rebuilds it.
void configureSim(SimEnvironment::Variables variables);

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

std::string readFile(const std::string &path);

using testpackets::frame;
inline Bytes command(uint8_t tag, const std::vector<uint32_t> &params, uint8_t flags = 0)
{
    return frame(1, testpackets::packet(tag, params, flags));
}
inline Bytes response(uint8_t tag, const std::vector<uint32_t> &words, uint8_t flags = 0)
{
    return frame(3, testpackets::packet(tag, words, flags));
}
inline Bytes generic(uint32_t status, uint8_t tag)
{
    return response(0xA0, { status, tag });
}
//! Status word of a response report; 0xDEADBEEF when it carries none.
uint32_t statusOf(const Bytes &answer);

//! A frame of the socket bridge: type byte, 32-bit little-endian payload length, payload.
Bytes bridgeFrame(char type, const Bytes &payload);
//! The bridge's first frame for a controller with @a productId and @a serial.
Bytes identity(uint16_t productId, const std::string &serial);

//! A tiny device model behind the socket bridge: on every connection it sends
//! its first frame @a hello and an input report @a greeting (unless empty).
//! Without @a answers it then hangs up; else it records each frame the host
//! sends and answers output report n of the connection with @a answers[n]
//! (later ones with nothing).
class ScriptedDevice
{
public:
    ScriptedDevice(const std::string &socketPath, Bytes hello, std::vector<Bytes> answers, Bytes greeting = {});
    //! Call with every connection closed: a connection is served until the host closes it.
    ~ScriptedDevice();
    ScriptedDevice(const ScriptedDevice &) = delete;
    ScriptedDevice &operator=(const ScriptedDevice &) = delete;

    //! The 'P' and 'W' frames received, whole.
    std::vector<Bytes> received() const;
    //! Waits until @a count connections have ended on the device's side.
    bool waitForClosed(int count);

private:
    void serve();
    void closed(int fd);

    Bytes m_hello;
    std::vector<Bytes> m_answers;
    Bytes m_greeting;
    int m_listener;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_closed = 0;
    std::vector<Bytes> m_received;
    std::thread m_thread;
};

//! One open handle on the controller, with raw report traffic.
class Host
{
public:
    explicit Host(uint16_t pid = kBlackPid, const wchar_t *serial = nullptr)
        : m_device(hid_open(0x3b7c, pid, serial))
    {
    }
    explicit Host(const char *path) : m_device(hid_open_path(path)) {}
    ~Host() { hid_close(m_device); }
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    bool isOpen() const { return m_device != nullptr; }
    hid_device *handle() const { return m_device; }
    int write(const Bytes &report) { return m_lastResult = hid_write(m_device, report.data(), report.size()); }
    //! The next report, empty on time-out or failure (see lastResult).
    Bytes read(int timeoutMs = 1000);
    int lastResult() const { return m_lastResult; }
    Bytes exchange(const Bytes &command, int timeoutMs = 1000);

    //! read-memory; the data reports' payloads joined. Fails the test when
    //! the exchange goes wrong.
    Bytes readMemory(uint32_t address, uint32_t count);
    //! write-memory in 56-byte packets; the final response, or the first
    //! one when the target refused the command.
    Bytes writeMemory(uint32_t address, const Bytes &data);
    uint32_t eraseRegion(uint32_t address, uint32_t count)
    {
        return statusOf(exchange(command(0x02, { address, count, 0 })));
    }

private:
    hid_device *m_device;
    int m_lastResult = 0;
};

} // namespace simtest
