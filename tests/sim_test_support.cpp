#include "sim_test_support.h"

#include "sim/vornsim_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace simtest {

namespace {

const char *const kVariables[] = {
    "VORN_SIM_VARIANT", "VORN_SIM_VERSION", "VORN_SIM_FLASH", "VORN_SIM_MAX_PACKET",
    "VORN_SIM_TIMING",  "VORN_SIM_FAULT",   "VORN_SIM_TRACE", "VORN_HID_SOCKET",
};

void clearVariables()
{
    for (const char *name : kVariables)
    {
        unsetenv(name);
    }
}

void putWord(Bytes &bytes, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

Bytes frame(uint8_t reportId, const Bytes &packet)
{
    Bytes report(4 + packet.size());
    report[0] = reportId;
    report[2] = static_cast<uint8_t>(packet.size());
    report[3] = static_cast<uint8_t>(packet.size() >> 8);
    std::copy(packet.begin(), packet.end(), report.begin() + 4);
    return report;
}

} // namespace

SimEnvironment::SimEnvironment(Variables variables)
{
    clearVariables();
    for (const auto &variable : variables)
    {
        setenv(variable.first, variable.second.c_str(), 1);
    }
    vornsim_reconfigure();
}

SimEnvironment::~SimEnvironment()
{
    clearVariables();
    vornsim_reconfigure();
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

Bytes commandReport(uint8_t tag, const std::vector<uint32_t> &params, uint8_t flags)
{
    Bytes packet{ tag, flags, 0, static_cast<uint8_t>(params.size()) };
    for (uint32_t param : params)
    {
        putWord(packet, param);
    }
    return frame(1, packet);
}

Bytes dataReport(const Bytes &data)
{
    return frame(2, data);
}

Bytes responseReport(uint8_t tag, uint8_t flags, const std::vector<uint32_t> &words)
{
    Bytes packet{ tag, flags, 0, static_cast<uint8_t>(words.size()) };
    for (uint32_t word : words)
    {
        putWord(packet, word);
    }
    return frame(3, packet);
}

Bytes genericReport(uint32_t status, uint8_t tag)
{
    return responseReport(0xA0, 0, { status, tag });
}

uint32_t packetWord(const Bytes &report, size_t offset)
{
    if (report.size() < 4 + offset + 4)
    {
        ADD_FAILURE() << "report too short for a word at " << offset;
        return 0xDEADBEEF;
    }
    const uint8_t *at = report.data() + 4 + offset;
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

uint16_t packetLength(const Bytes &report)
{
    return report.size() < 4 ? 0 : static_cast<uint16_t>(report[2] | report[3] << 8);
}

Host::Host(uint16_t pid, const wchar_t *serial)
    : m_device(hid_open(kVid, pid, serial))
{
}

Host::Host(const char *path)
    : m_device(hid_open_path(path))
{
}

Host::~Host()
{
    if (m_device)
    {
        hid_close(m_device);
    }
}

int Host::write(const Bytes &report)
{
    m_lastResult = hid_write(m_device, report.data(), report.size());
    return m_lastResult;
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
    if (write(command) != static_cast<int>(command.size()))
    {
        ADD_FAILURE() << "command write failed";
        return Bytes();
    }
    return read(timeoutMs);
}

Bytes Host::readMemory(uint32_t address, uint32_t count)
{
    Bytes answer = exchange(commandReport(0x03, { address, count, 0 }));
    EXPECT_EQ(answer, responseReport(0xA3, count ? 1 : 0, { 0, count }));
    Bytes data;
    while (data.size() < count)
    {
        Bytes report = read();
        if (report.size() < 5 || report[0] != 4)
        {
            ADD_FAILURE() << "expected a data report, got " << report.size() << " bytes";
            return data;
        }
        EXPECT_EQ(report.size(), 4u + packetLength(report));
        data.insert(data.end(), report.begin() + 4, report.end());
    }
    EXPECT_EQ(read(), genericReport(0, 0x03));
    return data;
}

uint32_t Host::writeMemory(uint32_t address, const Bytes &data, size_t packetSize)
{
    Bytes answer = exchange(commandReport(0x04, { address, static_cast<uint32_t>(data.size()), 0 }, 1));
    if (packetWord(answer, 4) != 0)
    {
        return packetWord(answer, 4);
    }
    for (size_t at = 0; at < data.size(); at += packetSize)
    {
        auto from = data.begin() + static_cast<std::ptrdiff_t>(at);
        auto to = data.begin() + static_cast<std::ptrdiff_t>(std::min(at + packetSize, data.size()));
        write(dataReport(Bytes(from, to)));
    }
    Bytes final = read();
    // The device's abort report comes before its final response.
    if (final == Bytes{ 3, 0, 0, 0 })
    {
        final = read();
    }
    EXPECT_EQ(packetWord(final, 8), 0x04u);
    return packetWord(final, 4);
}

uint32_t Host::eraseRegion(uint32_t address, uint32_t count)
{
    return packetWord(exchange(commandReport(0x02, { address, count, 0 })), 4);
}

} // namespace simtest
