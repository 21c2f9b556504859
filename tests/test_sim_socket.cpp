#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace {

const Bytes kQuery = command(0x07, { 11, 0 });
const Bytes kAnswer = response(0xA7, { 0, 64 });

TEST(SocketBridge, EnumeratesOpensByIdsOrPathAndMovesReportsAsHidapiDoes)
{
    TempDir dir;
    std::string socket = dir.file("dev.sock");
    std::string trace = dir.file("trace.txt");
    ScriptedDevice device(socket, identity(kBlackPid, "Kelvo \xc3\xa9"), { kAnswer },
                          Bytes{ 3, 0, 6, 0, 1, 2, 3, 4, 5, 6 });
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
    {
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

    // Opened by any path (once the first connection is closed: the model serves one at a time), the
    // bridge sends the path and takes the device as it is.
    const std::string path = "\\\\.\\HID#VID_3B7C&PID_1234#x#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    Host byPath(path.c_str());
    ASSERT_TRUE(byPath.isOpen());
    EXPECT_EQ(byPath.read(), (Bytes{ 3, 0, 6, 0, 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(byPath.exchange(kQuery), kAnswer);
    EXPECT_EQ(device.received().back(), bridgeFrame('W', kQuery));
    EXPECT_EQ(device.received().rbegin()[1], bridgeFrame('P', Bytes(path.begin(), path.end())));
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
        ScriptedDevice device(dir.file("mute.sock"), bridgeFrame('R', Bytes{ 3, 0, 0, 0 }), { kAnswer });
        SimEnvironment env({ { "VORN_HID_SOCKET", dir.file("mute.sock") } });
        EXPECT_FALSE(Host().isOpen());
    }
    ScriptedDevice device(socket, identity(kBlackPid, ""), {}, Bytes{ 3, 0, 0, 0 });
    SimEnvironment env({ { "VORN_HID_SOCKET", socket } });

    Host writer;
    ASSERT_TRUE(writer.isOpen());
    ASSERT_TRUE(device.waitForClosed(1));
    EXPECT_EQ(writer.write(kQuery), -1) << "the first write after the device hung up fails, as on hidraw";
    EXPECT_EQ(std::wstring(hid_error(writer.handle())), L"No such device");
    EXPECT_EQ(writer.read(), (Bytes{ 3, 0, 0, 0 }));
    EXPECT_EQ(writer.read(), Bytes());
    EXPECT_EQ(writer.lastResult(), -1);
}

} // namespace
