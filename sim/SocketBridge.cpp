#include "sim/SocketBridge.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vornsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kHeaderBytes = 5;

uint32_t readLength(const uint8_t *bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

} // namespace

std::wstring decodeUtf8(const std::string &text)
{
    std::wstring result;
    size_t i = 0;
    while (i < text.size())
    {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t extra = lead < 0x80                ? 0
                       : (lead & 0xE0) == 0xC0 ? 1
                       : (lead & 0xF0) == 0xE0 ? 2
                       : (lead & 0xF8) == 0xF0 ? 3
                                               : 4;
        uint32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool valid = extra < 4 && i + extra < text.size() + (extra == 0 ? 1 : 0);
        for (size_t k = 1; valid && k <= extra; ++k)
        {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (!valid)
        {
            result += L'\uFFFD';
            ++i;
            continue;
        }
        result += static_cast<wchar_t>(code);
        i += extra + 1;
    }
    return result;
}

std::unique_ptr<SocketDevice> SocketDevice::connect(const std::string &socketPath, std::string &error)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path))
    {
        error = "socket path too long: " + socketPath;
        return nullptr;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
    {
        error = std::string("cannot create socket: ") + std::strerror(errno);
        return nullptr;
    }
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
    {
        error = "cannot connect to " + socketPath + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SocketDevice>(new SocketDevice(fd));
}

SocketDevice::SocketDevice(int fd)
    : m_fd(fd)
{
}

SocketDevice::~SocketDevice()
{
    ::close(m_fd);
}

void SocketDevice::disconnect()
{
    // A writer on another thread may still use the descriptor: it fails now.
    ::shutdown(m_fd, SHUT_RDWR);
    m_closed = true;
}

bool SocketDevice::sendPath(const std::string &path)
{
    return sendFrame('P', reinterpret_cast<const uint8_t *>(path.data()), path.size());
}

bool SocketDevice::awaitIdentity(DeviceIdentity &identity, std::string &error)
{
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kIdentityTimeoutMs);
    while (!m_firstFrameSeen && !m_closed)
    {
        if (!receive(deadline, Wait::UntilDeadline))
        {
            error = "device sent no identity";
            return false;
        }
    }
    if (!m_identityFirst)
    {
        error = m_firstFrameSeen ? "device did not begin with its identity" : "device closed the connection";
        return false;
    }
    identity = m_identity;
    return true;
}

int SocketDevice::write(const uint8_t *data, size_t length)
{
    // A device that hung up or stopped sending is gone, even while the
    // reports it sent before are still waiting to be read.
    pollfd entry{ m_fd, POLLRDHUP, 0 };
    if (::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)))
    {
        m_writeFailed = true;
    }
    if (m_closed || m_writeFailed || !sendFrame('W', data, length))
    {
        return -1;
    }
    return static_cast<int>(length);
}

int SocketDevice::read(uint8_t *data, size_t length, int timeoutMs)
{
    bool forever = timeoutMs < 0;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    while (m_reports.empty() && !m_closed)
    {
        if (!receive(deadline, forever ? Wait::Forever : Wait::UntilDeadline))
        {
            return 0;
        }
    }
    if (m_reports.empty())
    {
        return -1;
    }
    std::vector<uint8_t> report = std::move(m_reports.front());
    m_reports.pop_front();
    size_t count = std::min(length, report.size());
    std::copy_n(report.data(), count, data);
    return static_cast<int>(count);
}

bool SocketDevice::sendFrame(char type, const uint8_t *payload, size_t length)
{
    if (m_closed || m_writeFailed || length > kMaxFramePayload)
    {
        return false;
    }
    std::vector<uint8_t> frame{ static_cast<uint8_t>(type) };
    for (int shift = 0; shift < 32; shift += 8)
    {
        frame.push_back(static_cast<uint8_t>(length >> shift));
    }
    frame.insert(frame.end(), payload, payload + length);
    size_t sent = 0;
    while (sent < frame.size())
    {
        // MSG_NOSIGNAL: a device that went away is an error value, never SIGPIPE.
        ssize_t n = ::send(m_fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            // The device is gone, but what it sent before it went is still
            // there to be read.
            m_writeFailed = true;
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool SocketDevice::receive(Clock::time_point deadline, Wait wait)
{
    while (true)
    {
        int waitMs = -1;
        if (wait == Wait::UntilDeadline)
        {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            waitMs = static_cast<int>(std::max<long long>(0, left));
        }
        pollfd entry{ m_fd, POLLIN, 0 };
        int ready = ::poll(&entry, 1, waitMs);
        if (ready < 0 && errno == EINTR)
        {
            continue;
        }
        if (ready == 0)
        {
            return false;
        }
        uint8_t buffer[65536];
        ssize_t n = ready < 0 ? -1 : ::recv(m_fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            disconnect();
            return true;
        }
        m_received.insert(m_received.end(), buffer, buffer + n);
        parseFrames();
        return true;
    }
}

void SocketDevice::parseFrames()
{
    size_t at = 0;
    while (m_received.size() - at >= kHeaderBytes)
    {
        char type = static_cast<char>(m_received[at]);
        uint32_t length = readLength(&m_received[at + 1]);
        if (length > kMaxFramePayload)
        {
            // No device sends this; the stream cannot be trusted any more.
            disconnect();
            break;
        }
        if (m_received.size() - at - kHeaderBytes < length)
        {
            break;
        }
        const uint8_t *payload = &m_received[at + kHeaderBytes];
        if (!m_firstFrameSeen)
        {
            m_firstFrameSeen = true;
            m_identityFirst = type == 'D' && length >= 4;
            if (m_identityFirst)
            {
                m_identity.vendorId = static_cast<uint16_t>(payload[0] | payload[1] << 8);
                m_identity.productId = static_cast<uint16_t>(payload[2] | payload[3] << 8);
                m_identity.serialNumber = decodeUtf8(std::string(payload + 4, payload + length));
            }
        }
        else if (type == 'R')
        {
            m_reports.emplace_back(payload, payload + length);
        }
        at += kHeaderBytes + length;
    }
    m_received.erase(m_received.begin(), m_received.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace vornsim
