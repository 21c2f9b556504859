#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace vornsim {

//! Identity a device announces in its first frame.
struct DeviceIdentity
{
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::wstring serialNumber;
};

//! A device modelled outside the process, reached over a Unix stream socket.
//! Frames both ways are a type byte, a 4-byte little-endian payload length
//! and the payload: 'D' (device identity), 'P' (path the host opens),
//! 'W' (output report), 'R' (input report).
class SocketDevice
{
public:
    static constexpr int kIdentityTimeoutMs = 2000;
    static constexpr uint32_t kMaxFramePayload = 1u << 20;

    //! Connects; null with a reason in @a error when nobody listens.
    static std::unique_ptr<SocketDevice> connect(const std::string &socketPath, std::string &error);
    ~SocketDevice();
    SocketDevice(const SocketDevice &) = delete;
    SocketDevice &operator=(const SocketDevice &) = delete;

    //! Tells the device which path the host opens.
    bool sendPath(const std::string &path);

    //! Waits for the device's first frame, which must be its identity.
    bool awaitIdentity(DeviceIdentity &identity, std::string &error);

    //! hidapi's hid_write: the report's length, or -1 once the device is
    //! gone, which it is from the moment it closes the connection or stops
    //! sending. One thread may write while another reads.
    int write(const uint8_t *data, size_t length);

    //! hidapi's hid_read_timeout: the next input report cut to @a length,
    //! 0 when none arrives in time, -1 when the connection is closed and
    //! nothing is left. A negative time-out waits without limit.
    int read(uint8_t *data, size_t length, int timeoutMs);

private:
    explicit SocketDevice(int fd);

    bool sendFrame(char type, const uint8_t *payload, size_t length);
    enum class Wait
    {
        UntilDeadline,
        Forever
    };
    //! Receives what arrives until @a deadline (or, with Wait::Forever,
    //! without limit); false when the time ran out without any bytes.
    bool receive(std::chrono::steady_clock::time_point deadline, Wait wait);
    void parseFrames();
    void disconnect();

    int m_fd; //!< shut down when the device goes, closed only by the destructor
    std::atomic<bool> m_closed{ false };
    std::atomic<bool> m_writeFailed{ false };
    bool m_firstFrameSeen = false;
    bool m_identityFirst = false;
    DeviceIdentity m_identity;
    std::vector<uint8_t> m_received;
    std::deque<std::vector<uint8_t>> m_reports;
};

//! UTF-8 text as wide characters; malformed sequences become U+FFFD.
std::wstring decodeUtf8(const std::string &text);

} // namespace vornsim
