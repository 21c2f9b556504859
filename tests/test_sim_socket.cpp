#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace simtest;

namespace {

const Bytes kQuery = command(0x07, { 11, 0 });
const Bytes kAnswer = response(0xA7, { 0, 64 });

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

Bytes identity(uint16_t productId, const std::string &serial)
{
    Bytes payload{ 0x7c, 0x3b, static_cast<uint8_t>(productId), static_cast<uint8_t>(productId >> 8) };
    payload.insert(payload.end(), serial.begin(), serial.end());
    return bridgeFrame('D', payload);
}

//! A tiny device model behind a Unix socket: on every connection it sends
//! its first frame @a hello and an input report @a greeting (unless empty),
//! hangs up if asked, else records each frame the host sends and answers
//! every output report with kAnswer.
class ScriptedDevice
{
public:
    ScriptedDevice(const std::string &socketPath, Bytes hello, Bytes greeting = {}, bool hangUp = false)
        : m_hello(std::move(hello))
        , m_greeting(std::move(greeting))
        , m_hangUp(hangUp)
        , m_listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 ||
            ::listen(m_listener, 4) != 0)
        {
            ADD_FAILURE() << "scripted device cannot listen on " << socketPath;
            return;
        }
        m_thread = std::thread([this] { serve(); });
    }

    //! Call with every connection closed: a connection is served until the host closes it.
    ~ScriptedDevice()
    {
        ::shutdown(m_listener, SHUT_RDWR); // wakes the blocked accept
        if (m_thread.joinable())
        {
            m_thread.join();
        }
        ::close(m_listener);
    }

    //! Waits until @a count connections have ended on the device's side.
    bool waitForClosed(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_closed >= count; });
    }

    //! The 'P' and 'W' frames received, whole.
    std::vector<Bytes> received() const
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_received;
    }

private:
    static void put(int fd, const Bytes &frame) { ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL); }

    void serve()
    {
        for (int fd; (fd = ::accept(m_listener, nullptr, nullptr)) >= 0; closed(fd))
        {
            put(fd, m_hello);
            if (!m_greeting.empty())
            {
                put(fd, bridgeFrame('R', m_greeting));
            }
            Bytes frame(5);
            while (!m_hangUp && ::recv(fd, frame.data(), 5, MSG_WAITALL) == 5)
            {
                uint32_t length = frame[1] | frame[2] << 8 | frame[3] << 16 | uint32_t(frame[4]) << 24;
                frame.resize(5 + length);
                if (length > 0 && ::recv(fd, frame.data() + 5, length, MSG_WAITALL) != static_cast<ssize_t>(length))
                {
                    break;
                }
                {
                    std::lock_guard<std::mutex> guard(m_mutex);
                    m_received.push_back(frame);
                }
                if (frame[0] == 'W')
                {
                    put(fd, bridgeFrame('R', kAnswer));
                }
            }
        }
    }

    void closed(int fd)
    {
        ::close(fd);
        std::lock_guard<std::mutex> guard(m_mutex);
        ++m_closed;
        m_changed.notify_all();
    }

    Bytes m_hello;
    Bytes m_greeting;
    bool m_hangUp;
    int m_listener;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_closed = 0;
    std::vector<Bytes> m_received;
    std::thread m_thread;
};

TEST(SocketBridge, EnumeratesOpensAndMovesReportsAsHidapiDoes)
{
    TempDir dir;
    std::string socket = dir.file("dev.sock");
    std::string trace = dir.file("trace.txt");
    ScriptedDevice device(socket, identity(kBlackPid, "Kelvo \xc3\xa9"), Bytes{ 3, 0, 6, 0, 1, 2, 3, 4, 5, 6 });
    SimEnvironment env({ { "VORN_HID_SOCKET", socket }, { "VORN_SIM_TRACE", trace } });

    hid_device_info *devices = hid_enumerate(0x3b7c, 0);
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(devices->product_id, kBlackPid);
    EXPECT_EQ(std::wstring(devices->serial_number), L"Kelvo \u00e9");
    EXPECT_EQ(std::string(devices->path), socket);
    EXPECT_EQ(devices->next, nullptr);
    hid_free_enumeration(devices);
    EXPECT_EQ(hid_enumerate(0x1111, 0), nullptr);

    EXPECT_FALSE(Host(0x5e0d).isOpen());
    EXPECT_FALSE(Host(kBlackPid, L"Kelvo").isOpen());
    EXPECT_FALSE(Host(kBlackPid, L"").isOpen()) << "an empty serial number is compared as it is";
    EXPECT_TRUE(Host(kBlackPid).isOpen());
    Host host(kBlackPid, L"Kelvo \u00e9");
    ASSERT_TRUE(host.isOpen());
    uint8_t buffer[4];
    EXPECT_EQ(hid_read_timeout(host.handle(), buffer, sizeof(buffer), 1000), 4);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{ 3, 0, 6, 0 }));
    EXPECT_EQ(host.read(30), Bytes());
    EXPECT_EQ(host.lastResult(), 0);
    EXPECT_EQ(host.exchange(kQuery), kAnswer);
    EXPECT_EQ(device.received(), std::vector<Bytes>{ bridgeFrame('W', kQuery) });
    EXPECT_EQ(readFile(trace), "< 03 00 06 00\n"
                               "> 01 00 0c 00 07 00 00 02 0b 00 00 00 00 00 00 00\n"
                               "< 03 00 0c 00 a7 00 00 02 00 00 00 00 40 00 00 00\n");
}

TEST(SocketBridge, OpenByPathSendsThePathAndAcceptsTheDevice)
{
    TempDir dir;
    std::string socket = dir.file("dev.sock");
    std::string path = "\\\\.\\HID#VID_3B7C&PID_1234#x#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    ScriptedDevice device(socket, identity(0x1234, ""));
    SimEnvironment env({ { "VORN_HID_SOCKET", socket } });

    Host host(path.c_str());
    ASSERT_TRUE(host.isOpen());
    EXPECT_EQ(host.exchange(kQuery), kAnswer);
    EXPECT_EQ(device.received(),
              (std::vector<Bytes>{ bridgeFrame('P', Bytes(path.begin(), path.end())), bridgeFrame('W', kQuery) }));
}

TEST(SocketBridge, RefusesAbsentOrMuteDevicesAndFailsWithoutSignalOnceClosed)
{
    TempDir dir;
    std::string socket = dir.file("dev.sock");
    {
        SimEnvironment env({ { "VORN_HID_SOCKET", socket } });
        EXPECT_FALSE(Host().isOpen());
        EXPECT_EQ(std::wstring(hid_error(nullptr)), L"No HID devices with requested VID/PID found in the system.");
    }
    {
        ScriptedDevice device(dir.file("mute.sock"), bridgeFrame('R', Bytes{ 3, 0, 0, 0 }));
        SimEnvironment env({ { "VORN_HID_SOCKET", dir.file("mute.sock") } });
        EXPECT_FALSE(Host().isOpen());
    }
    ScriptedDevice device(socket, identity(kBlackPid, ""), Bytes{ 3, 0, 0, 0 }, true);
    SimEnvironment env({ { "VORN_HID_SOCKET", socket } });

    Host writer;
    ASSERT_TRUE(writer.isOpen());
    ASSERT_TRUE(device.waitForClosed(1));
    EXPECT_EQ(writer.write(kQuery), -1) << "the first write after the device hung up fails, as on hidraw";
    EXPECT_EQ(std::wstring(hid_error(writer.handle())), L"No such device");
    EXPECT_EQ(writer.read(), (Bytes{ 3, 0, 0, 0 }));
    EXPECT_EQ(writer.read(), Bytes());
    EXPECT_EQ(writer.lastResult(), -1);

    Host reader;
    ASSERT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.read(), (Bytes{ 3, 0, 0, 0 }));
    EXPECT_EQ(reader.read(), Bytes());
    EXPECT_EQ(reader.lastResult(), -1);
    EXPECT_EQ(reader.write(kQuery), -1);
}

} // namespace
