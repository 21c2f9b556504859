#include "sim_test_support.h"

#include "sim/vornsim_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace simtest {

namespace {

void put(int fd, const Bytes &frame)
{
    ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
}

} // namespace

void configureSim(SimEnvironment::Variables variables)
{
    for (const char *name : { "VORN_SIM_VARIANT", "VORN_SIM_VERSION", "VORN_SIM_FLASH", "VORN_SIM_MAX_PACKET",
                              "VORN_SIM_TIMING", "VORN_SIM_FAULT", "VORN_SIM_TRACE", "VORN_HID_SOCKET",
                              "VORN_SIM_CONTROLLERS" })
    {
        unsetenv(name);
    }
    for (const auto &variable : variables)
    {
        setenv(variable.first, variable.second.c_str(), 1);
    }
    vornsim_reconfigure();
}

SimEnvironment::SimEnvironment(Variables variables)
{
    configureSim(variables);
}

SimEnvironment::~SimEnvironment()
{
    configureSim({});
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vornsim-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
    {
        ADD_FAILURE() << "cannot create a temporary directory";
    }
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t statusOf(const Bytes &answer)
{
    if (answer.size() < 12)
    {
        return 0xDEADBEEF;
    }
    return uint32_t(answer[8]) | uint32_t(answer[9]) << 8 | uint32_t(answer[10]) << 16 | uint32_t(answer[11]) << 24;
}

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
    for (char c : serial)
    {
        payload.push_back(static_cast<uint8_t>(c));
    }
    return bridgeFrame('D', payload);
}

ScriptedDevice::ScriptedDevice(const std::string &socketPath, Bytes hello, std::vector<Bytes> answers, Bytes greeting)
    : m_hello(std::move(hello))
    , m_answers(std::move(answers))
    , m_greeting(std::move(greeting))
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

ScriptedDevice::~ScriptedDevice()
{
    ::shutdown(m_listener, SHUT_RDWR); // wakes the blocked accept
    if (m_thread.joinable())
    {
        m_thread.join();
    }
    ::close(m_listener);
}

std::vector<Bytes> ScriptedDevice::received() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_received;
}

bool ScriptedDevice::waitForClosed(int count)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_closed >= count; });
}

void ScriptedDevice::closed(int fd)
{
    ::close(fd);
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_closed;
    m_changed.notify_all();
}

void ScriptedDevice::serve()
{
    for (int fd; (fd = ::accept(m_listener, nullptr, nullptr)) >= 0; closed(fd))
    {
        put(fd, m_hello);
        if (!m_greeting.empty())
        {
            put(fd, bridgeFrame('R', m_greeting));
        }
        size_t reports = 0;
        Bytes frame(5);
        while (!m_answers.empty() && ::recv(fd, frame.data(), 5, MSG_WAITALL) == 5)
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
            if (frame[0] == 'W' && reports < m_answers.size())
            {
                put(fd, bridgeFrame('R', m_answers[reports++]));
            }
        }
    }
}

Bytes Host::read(int timeoutMs)
{
    Bytes buffer(8200);
    m_lastResult = hid_read_timeout(m_device, buffer.data(), buffer.size(), timeoutMs);
    buffer.resize(static_cast<size_t>(std::max(0, m_lastResult)));
    return buffer;
}

Bytes Host::exchange(const Bytes &command, int timeoutMs)
{
    EXPECT_EQ(write(command), static_cast<int>(command.size()));
    return read(timeoutMs);
}

Bytes Host::readMemory(uint32_t address, uint32_t count)
{
    EXPECT_EQ(exchange(command(0x03, { address, count, 0 })), response(0xA3, { 0, count }, count ? 1 : 0));
    Bytes data;
    while (data.size() < count)
    {
        Bytes report = read();
        if (report.size() <= 4 || report[0] != 4 || report.size() != 4u + (report[2] | report[3] << 8))
        {
            ADD_FAILURE() << "expected a data report, got " << report.size() << " bytes";
            return data;
        }
        data.insert(data.end(), report.begin() + 4, report.end());
    }
    EXPECT_EQ(read(), generic(0, 0x03));
    return data;
}

Bytes Host::writeMemory(uint32_t address, const Bytes &data)
{
    const Bytes first = exchange(command(0x04, { address, static_cast<uint32_t>(data.size()), 0 }, 1));
    if (first != generic(0, 0x04))
    {
        return first;
    }
    for (size_t at = 0; at < data.size(); at += 56)
    {
        write(frame(2, Bytes(data.begin() + at, data.begin() + std::min(at + 56, data.size()))));
    }
    return read();
}

} // namespace simtest
