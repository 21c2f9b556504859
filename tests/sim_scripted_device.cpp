#include "sim_scripted_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace simtest {

namespace {

bool sendAll(int fd, const Bytes &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size())
    {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
        {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool receiveAll(int fd, uint8_t *into, size_t count)
{
    size_t got = 0;
    while (got < count)
    {
        ssize_t n = ::recv(fd, into + got, count - got, 0);
        if (n <= 0)
        {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

Bytes bridgeFrame(char type, const Bytes &payload)
{
    Bytes frame{ static_cast<uint8_t>(type) };
    for (int shift = 0; shift < 32; shift += 8)
    {
        frame.push_back(static_cast<uint8_t>(payload.size() >> shift));
    }
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

ScriptedDevice::ScriptedDevice(const std::string &socketPath, Script script)
    : m_socketPath(socketPath)
    , m_script(std::move(script))
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 ||
        ::listen(m_listener, 4) != 0)
    {
        ADD_FAILURE() << "scripted device cannot listen on " << socketPath;
        return;
    }
    m_thread = std::thread([this] { serve(); });
}

ScriptedDevice::~ScriptedDevice()
{
    m_stop = true;
    if (m_thread.joinable())
    {
        m_thread.join();
    }
    if (m_listener >= 0)
    {
        ::close(m_listener);
    }
}

std::vector<std::string> ScriptedDevice::paths() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_paths;
}

std::vector<Bytes> ScriptedDevice::written() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_written;
}

void ScriptedDevice::serve()
{
    while (!m_stop)
    {
        pollfd entry{ m_listener, POLLIN, 0 };
        if (::poll(&entry, 1, 20) <= 0)
        {
            continue;
        }
        int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd >= 0)
        {
            talk(fd);
            ::close(fd);
        }
    }
}

void ScriptedDevice::talk(int fd)
{
    Bytes identity{ static_cast<uint8_t>(m_script.vendorId), static_cast<uint8_t>(m_script.vendorId >> 8),
                    static_cast<uint8_t>(m_script.productId), static_cast<uint8_t>(m_script.productId >> 8) };
    identity.insert(identity.end(), m_script.serial.begin(), m_script.serial.end());
    Bytes first = m_script.firstFrame.empty() ? bridgeFrame('D', identity) : m_script.firstFrame;
    if (!sendAll(fd, first))
    {
        return;
    }
    for (const Bytes &report : m_script.greeting)
    {
        sendAll(fd, bridgeFrame('R', report));
    }
    if (m_script.closeAfterGreeting)
    {
        return;
    }
    while (!m_stop)
    {
        pollfd entry{ fd, POLLIN, 0 };
        if (::poll(&entry, 1, 20) <= 0)
        {
            continue;
        }
        uint8_t header[5];
        if (!receiveAll(fd, header, sizeof(header)))
        {
            return;
        }
        uint32_t length = uint32_t(header[1]) | uint32_t(header[2]) << 8 | uint32_t(header[3]) << 16 |
                          uint32_t(header[4]) << 24;
        Bytes payload(length);
        if (!receiveAll(fd, payload.data(), length))
        {
            return;
        }
        if (header[0] == 'P')
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_paths.emplace_back(payload.begin(), payload.end());
            continue;
        }
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_written.push_back(payload);
        }
        bool close = false;
        std::vector<Bytes> answers = m_script.onWrite ? m_script.onWrite(payload, close) : std::vector<Bytes>();
        for (const Bytes &answer : answers)
        {
            sendAll(fd, bridgeFrame('R', answer));
        }
        if (close)
        {
            return;
        }
    }
}

} // namespace simtest
