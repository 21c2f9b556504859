// Several controllers plugged in at once: VORN_SIM_CONTROLLERS.
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace simtest;

namespace {

struct Listed
{
    std::string path;
    std::wstring serial;
};

std::vector<Listed> listed(unsigned short productId = kBlackPid)
{
    std::vector<Listed> result;
    hid_device_info *devices = hid_enumerate(0x3b7c, productId);
    for (hid_device_info *device = devices; device; device = device->next)
    {
        result.push_back({ device->path, device->serial_number });
    }
    hid_free_enumeration(devices);
    return result;
}

TEST(SimControllers, WithoutTheSettingOneControllerKeepsItsPathAndSerialNumber)
{
    SimEnvironment env;
    const std::vector<Listed> devices = listed();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].serial, L"KELVO-SIM-0001");
    EXPECT_EQ(devices[0].path, "\\\\?\\hid#vid_3b7c&pid_5e03#vornsim#{4d1e55b2-f16f-11cf-88cb-001111000030}");
}

TEST(SimControllers, NumberedControllersHaveTheirOwnSerialPathFlashFileAndFaults)
{
    TempDir dir;
    const std::string flash = dir.file("flash");
    SimEnvironment env({ { "VORN_SIM_CONTROLLERS", "3" },
                         { "VORN_SIM_FLASH", flash },
                         { "VORN_SIM_VARIANT", "smoked" },
                         { "VORN_SIM_FAULT_3", "status:flash-erase-region:105" } });
    const std::vector<Listed> devices = listed(0x5e0d);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].serial, L"VSIM0001");
    EXPECT_EQ(devices[2].serial, L"VSIM0003");
    EXPECT_NE(devices[0].path, devices[1].path);
    EXPECT_NE(devices[1].path, devices[2].path);

    // Opened by IDs without a serial number: the first one; by serial number: that one.
    EXPECT_TRUE(Host(0x5e0d, L"VSIM0002").isOpen());
    EXPECT_FALSE(Host(0x5e0d, L"VSIM0004").isOpen());

    {
        Host second(devices[1].path.c_str());
        ASSERT_TRUE(second.isOpen());
        EXPECT_EQ(second.eraseRegion(0, 0x1000), 0u);
        Host third(devices[2].path.c_str());
        ASSERT_TRUE(third.isOpen());
        EXPECT_EQ(third.eraseRegion(0, 0x1000), 105u) << "controller 3's own fault";
        Host first(devices[0].path.c_str());
        ASSERT_TRUE(first.isOpen());
        EXPECT_EQ(first.eraseRegion(0, 0x1000), 0u) << "the fault is not the others'";
    }
    hid_exit();
    const std::string erased(0x1000, '\xff');
    EXPECT_EQ(readFile(flash + ".2").substr(0, 0x1000), erased);
    EXPECT_NE(readFile(flash + ".3").substr(0, 0x1000), erased);
    EXPECT_EQ(readFile(flash + ".1").substr(0, 0x1000), erased);
    EXPECT_EQ(readFile(flash).size(), 0u) << "no file without a number";
}

TEST(SimControllers, AnUnreadableCountFallsBackToTheOneController)
{
    SimEnvironment env({ { "VORN_SIM_CONTROLLERS", "lots" } });
    ASSERT_EQ(listed().size(), 1u);
    EXPECT_EQ(listed()[0].serial, L"KELVO-SIM-0001");
}

TEST(SimControllers, BehindTheSocketBridgeEachNumberedSocketIsOneController)
{
    TempDir dir;
    const std::string socket = dir.file("dev.sock");
    // With an answer to give, each serves a connection until the host closes it.
    const Bytes answer = response(0xA7, { 0, 64 });
    ScriptedDevice first(socket + ".1", identity(kBlackPid, "ONE"), { answer });
    ScriptedDevice second(socket + ".2", identity(kBlackPid, "TWO"), { answer });
    SimEnvironment env({ { "VORN_HID_SOCKET", socket }, { "VORN_SIM_CONTROLLERS", "2" } });

    const std::vector<Listed> devices = listed();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].path, socket + ".1");
    EXPECT_EQ(devices[0].serial, L"ONE");
    EXPECT_EQ(devices[1].path, socket + ".2");
    EXPECT_EQ(devices[1].serial, L"TWO");

    EXPECT_TRUE(Host(kBlackPid, L"TWO").isOpen()) << "by IDs and serial number";
    const std::string path = socket + ".2";
    {
        Host byPath(path.c_str());
        ASSERT_TRUE(byPath.isOpen());
    }
    ASSERT_TRUE(second.waitForClosed(3));
    ASSERT_FALSE(second.received().empty());
    EXPECT_EQ(second.received().back(), bridgeFrame('P', Bytes(path.begin(), path.end())));
}

} // namespace
