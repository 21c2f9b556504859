#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace {

const Bytes kMaxPacketQuery = command(0x07, { 11, 0 });
const Bytes kNothing;

//! One report the host writes (none when empty) and the reports it then
//! reads; an empty one stands for a read that finds nothing within 50 ms.
struct Step
{
    Bytes write;
    std::vector<Bytes> reads;
};

//! read-memory of @a data.size() bytes that finds @a data, ending in @a final.
Step readBack(uint32_t address, const Bytes &data, uint32_t final = 0)
{
    return { command(0x03, { address, static_cast<uint32_t>(data.size()), 0 }),
             { response(0xA3, { 0, static_cast<uint32_t>(data.size()) }, 1), frame(4, data), generic(final, 0x03) } };
}

TEST(SimFaults, ChangeWhatTheDeviceAnswersOncePerEntry)
{
    const Bytes erased8(8, 0xFF);
    Bytes halfWritten(16, 0xFF);
    std::fill(halfWritten.begin(), halfWritten.begin() + 8, 0x11);
    const std::vector<std::pair<const char *, std::vector<Step>>> cases = {
        { " status:read-memory:0x27d9 , status:get-property:10300*,status:flash-erase-all:105,"
          "status:write-memory:10001",
          { { command(0x03, { 0, 4, 0 }), { response(0xA3, { 10201, 0 }), kNothing } },
            { kMaxPacketQuery, { response(0xA7, { 10300 }) } },
            { kMaxPacketQuery, { response(0xA7, { 10300 }) } },
            { command(0x01, { 0 }), { generic(105, 0x01) } },
            readBack(0, { 0x00, 0x00, 0x03, 0x20 }),
            { command(0x04, { 0x71000, 8, 0 }, 1), { generic(10001, 0x04) } },
            { frame(2, Bytes(8, 0)), { kNothing } },
            readBack(0x71000, erased8) } },
        { "final-status:write-memory:105,final-status:read-memory:10201",
          { { command(0x04, { 0x71000, 4, 0 }, 1), { generic(0, 0x04) } },
            { frame(2, Bytes(4, 0x42)), { generic(105, 0x04) } },
            readBack(0x71000, Bytes(4, 0x42), 10201),
            readBack(0x71000, Bytes(4, 0x42)) } },
        { "abort:read-memory:1",
          { { command(0x03, { 0x71000, 200, 0 }),
              { response(0xA3, { 0, 200 }, 1), frame(4, Bytes(56, 0xFF)), Bytes{ 4, 0, 0, 0 },
                generic(10002, 0x03), kNothing } } } },
        { "abort:write-memory:1",
          { { command(0x04, { 0x71000, 16, 0 }, 1), { generic(0, 0x04) } },
            { frame(2, Bytes(8, 0x11)), {} },
            { frame(2, Bytes(8, 0x22)), { Bytes{ 3, 0, 0, 0 }, generic(10002, 0x04), kNothing } },
            readBack(0x71000, halfWritten) } },
        { "packet-size:0,packet-size:9000,packet-size:none",
          { { kMaxPacketQuery, { response(0xA7, { 0, 0 }) } },
            { kMaxPacketQuery, { response(0xA7, { 0, 9000 }) } },
            { kMaxPacketQuery, { response(0xA7, { 0 }) } },
            { kMaxPacketQuery, { response(0xA7, { 0, 56 }) } } } },
        { "report-id:get-property,long-length:flash-erase-region,short:write-memory,"
          "wrong-tag:read-memory,other-tag:read-memory:3,other-tag:flash-erase-all",
          { { kMaxPacketQuery, { Bytes{ 4, 0, 12, 0, 0xA7, 0, 0, 2, 0, 0, 0, 0, 56, 0, 0, 0 } } },
            { kMaxPacketQuery, { response(0xA7, { 0, 56 }) } },
            { command(0x02, { 0x71000, 0x1000, 0 }),
              { Bytes{ 3, 0, 0x01, 0x20, 0xA0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0 } } },
            { command(0x04, { 0x80000, 4, 0 }, 1), { Bytes{ 3, 0, 12, 0, 0xA0, 0, 0, 2, 0xD8, 0x27, 0, 0 } } },
            // Both read-memory entries hit the first read: its answer and its third report.
            { command(0x03, { 0, 4, 0 }),
              { response(0xAF, { 0, 4 }, 1), Bytes{ 4, 0, 4, 0, 0x00, 0x00, 0x03, 0x20 }, generic(0, 0x02) } },
            readBack(0, { 0x00, 0x00, 0x03, 0x20 }),
            { command(0x01, { 0 }), { generic(0, 0x02) } },
            { command(0x02, { 0x71000, 0x1000, 0 }), { generic(0, 0x02) } } } },
        // A silent command still acts; a delayed answer comes late but whole.
        { "silent:flash-erase-region,delay:reset:2000",
          { { command(0x04, { 0x71000, 4, 0 }, 1), { generic(0, 0x04) } },
            { frame(2, Bytes(4, 0x42)), { generic(0, 0x04) } },
            { command(0x02, { 0x71000, 0x1000, 0 }), { kNothing } },
            readBack(0x71000, Bytes(4, 0xFF)),
            { command(0x02, { 0x71000, 0x1000, 0 }), { generic(0, 0x02) } },
            { command(0x0B, {}), { kNothing } },
            { {}, { generic(0, 0x0B) } } } },
    };
    for (const auto &[faults, steps] : cases)
    {
        SCOPED_TRACE(faults);
        SimEnvironment env({ { "VORN_SIM_FAULT", faults } });
        Host host;
        for (const Step &step : steps)
        {
            if (!step.write.empty())
            {
                EXPECT_EQ(host.write(step.write), static_cast<int>(step.write.size()));
            }
            for (const Bytes &expected : step.reads)
            {
                EXPECT_EQ(host.read(expected.empty() ? 50 : 3000), expected);
            }
        }
    }
}

TEST(SimFaults, UnplugLetsReportNPassThenFailsUntilTheNextOpen)
{
    SimEnvironment env({ { "VORN_SIM_FAULT", "unplug:read-memory:3,unplug:write-memory:3" } });
    Host host;
    host.write(command(0x03, { 0x70000, 100, 0 }));
    EXPECT_EQ(host.read(), response(0xA3, { 0, 100 }, 1));
    EXPECT_EQ(host.read().size(), 60u);
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.lastResult(), -1);
    EXPECT_EQ(host.write(kMaxPacketQuery), -1);

    Host second;
    EXPECT_EQ(second.exchange(command(0x04, { 0x71000, 16, 0 }, 1)), generic(0, 0x04));
    EXPECT_EQ(second.write(frame(2, Bytes(8, 0x5A))), 12);
    EXPECT_EQ(second.write(frame(2, Bytes(8, 0x5B))), -1);

    Bytes expected(16, 0xFF);
    std::fill(expected.begin(), expected.begin() + 8, 0x5A);
    EXPECT_EQ(Host().readMemory(0x71000, 16), expected);
}

TEST(SimFaults, DeniedListsTheControllerButRefusesEveryOpenAsThePermissionsDo)
{
    SimEnvironment env({ { "VORN_SIM_VARIANT", "smoked" }, { "VORN_SIM_FAULT", "denied" } });
    hid_device_info *devices = hid_enumerate(0x3b7c, 0x5e0d);
    ASSERT_NE(devices, nullptr);
    const std::string path = devices->path;
    hid_free_enumeration(devices);

    // Every open is refused, not just the first.
    EXPECT_FALSE(Host(path.c_str()).isOpen());
    EXPECT_FALSE(Host(0x5e0d).isOpen());
    EXPECT_EQ(std::wstring(hid_error(nullptr)),
              L"Failed to open a device with path '" + std::wstring(path.begin(), path.end()) + L"': Permission denied");
}

} // namespace
