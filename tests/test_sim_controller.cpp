#include "sim_test_support.h"

#include "sim/vornsim_control.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace simtest;

namespace {

Bytes pattern(size_t size, uint8_t seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
    {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

TEST(VirtualController, EnumeratesAndOpensOnlyUnderTheVariantsIds)
{
    SimEnvironment env({ { "VORN_SIM_VARIANT", "smoked" } });
    hid_device_info *devices = hid_enumerate(0, 0);
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(devices->vendor_id, 0x3b7c);
    EXPECT_EQ(devices->product_id, 0x5e0d);
    EXPECT_EQ(devices->next, nullptr);
    std::string path = devices->path;
    EXPECT_EQ(hid_enumerate(0x3b7c, 0x5e03), nullptr);
    hid_free_enumeration(devices);

    EXPECT_TRUE(Host(0x5e0d).isOpen());
    EXPECT_TRUE(Host(0x5e0d, L"").isOpen());
    EXPECT_TRUE(Host(0x5e0d, L"KELVO-SIM-0001").isOpen());
    EXPECT_FALSE(Host(0x5e0d, L"123").isOpen());
    EXPECT_FALSE(Host(0x5e03).isOpen());
    EXPECT_NE(hid_error(nullptr), nullptr);
    EXPECT_TRUE(Host(path.c_str()).isOpen());
    EXPECT_FALSE(Host("/dev/hidraw0").isOpen());
}

TEST(VirtualController, OpensByTheDeviceInstanceFormOfItsPath)
{
    SimEnvironment env;
    EXPECT_TRUE(Host("\\\\?\\hid#vid_3b7c&pid_5e03#vornsim#{4d1e55b2-f16f-11cf-88cb-001111000030}").isOpen());
    EXPECT_TRUE(Host("\\\\.\\HID#VID_3B7C&PID_5E03#VORNSIM#{4d1e55b2-f16f-11cf-88cb-001111000030}").isOpen());
    EXPECT_TRUE(Host("HID\\VID_3B7C&PID_5E03\\VORNSIM").isOpen());
    EXPECT_FALSE(Host("HID\\VID_3B7C&PID_5E0D\\VORNSIM").isOpen());
}

TEST(VirtualController, AttachesNothingForVariantNone)
{
    SimEnvironment env({ { "VORN_SIM_VARIANT", "none" } });
    EXPECT_EQ(hid_enumerate(0, 0), nullptr);
    EXPECT_FALSE(Host(0x5e03).isOpen());
}

TEST(VirtualController, StartsWithAnOldFirmwareCarryingTheVersionTrailer)
{
    SimEnvironment env({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_VERSION", "1.2.300" } });
    Host host(0x5e0b);
    ASSERT_TRUE(host.isOpen());
    EXPECT_EQ(host.readMemory(0x70000, 12), (Bytes{ 0x7c, 0x3b, 0x10, 0x5e, 0x0b, 0x5e, 0x2c, 0x01, 2, 0, 1, 0 }));
    EXPECT_EQ(host.readMemory(0, 8), (Bytes{ 0x00, 0x00, 0x03, 0x20, 0x81, 0x01, 0x00, 0x00 }));
    EXPECT_EQ(host.readMemory(0x6fff0, 16), Bytes(16, 0x00));
    EXPECT_EQ(host.readMemory(0x7000c, 4), Bytes(4, 0xFF));
    EXPECT_EQ(host.readMemory(0x7fffc, 4), Bytes(4, 0xFF));
}

TEST(VirtualController, SplitsReadDataIntoReportsOfTheMaxPacketSize)
{
    SimEnvironment env({ { "VORN_SIM_MAX_PACKET", "100" } });
    Host host;
    host.write(commandReport(0x03, { 0, 250, 0 }));
    EXPECT_EQ(host.read(), responseReport(0xA3, 1, { 0, 250 }));
    EXPECT_EQ(packetLength(host.read()), 100);
    EXPECT_EQ(packetLength(host.read()), 100);
    Bytes last = host.read();
    EXPECT_EQ(last[0], 4);
    EXPECT_EQ(packetLength(last), 50);
    EXPECT_EQ(host.read(), genericReport(0, 0x03));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.lastResult(), 0);
}

TEST(VirtualController, AnswersMaxPacketSizeAndRejectsOtherPropertiesAndCommands)
{
    SimEnvironment env({ { "VORN_SIM_MAX_PACKET", "0x200" } });
    Host host;
    EXPECT_EQ(host.exchange(commandReport(0x07, { 11, 0 })), responseReport(0xA7, 0, { 0, 512 }));
    EXPECT_EQ(host.exchange(commandReport(0x07, { 1, 0 })), responseReport(0xA7, 0, { 10300 }));
    EXPECT_EQ(host.exchange(commandReport(0x0E, {})), genericReport(10000, 0x0E));
    EXPECT_EQ(host.exchange(commandReport(0x03, { 0, 4 })), responseReport(0xA3, 0, { 4, 0 }));
}

TEST(VirtualController, ErasesOnlyWholeSectorsInsideTheFlash)
{
    SimEnvironment env;
    Host host;
    EXPECT_EQ(host.eraseRegion(0x800, 0x1000), 101u);
    EXPECT_EQ(host.eraseRegion(0x1000, 0x800), 101u);
    EXPECT_EQ(host.eraseRegion(0x7f000, 0x2000), 102u);
    EXPECT_EQ(host.eraseRegion(0xfffff000, 0x2000), 102u);
    EXPECT_EQ(packetWord(host.exchange(commandReport(0x02, { 0, 0x1000, 0x110 })), 4), 10205u);
    EXPECT_EQ(host.readMemory(0, 4), (Bytes{ 0x00, 0x00, 0x03, 0x20 }));

    EXPECT_EQ(host.exchange(commandReport(0x02, { 0x00, 0x71000, 0 })),
              (Bytes{ 3, 0, 12, 0, 0xa0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0 }));
    EXPECT_EQ(host.readMemory(0, 16), Bytes(16, 0xFF));
    EXPECT_EQ(host.readMemory(0x70000, 12), Bytes(12, 0xFF));
}

TEST(VirtualController, EraseAllClearsTheWholeFlash)
{
    SimEnvironment env;
    Host host;
    EXPECT_EQ(host.exchange(commandReport(0x01, { 0 })), genericReport(0, 0x01));
    EXPECT_EQ(host.readMemory(0, 8), Bytes(8, 0xFF));
    EXPECT_EQ(host.readMemory(0x70000, 12), Bytes(12, 0xFF));
}

TEST(VirtualController, ProgramsErasedFlashAndReadsItBack)
{
    SimEnvironment env;
    Host host;
    ASSERT_EQ(host.eraseRegion(0, 0x2000), 0u);
    Bytes image = pattern(1000, 3);
    EXPECT_EQ(host.writeMemory(0x100, image, 56), 0u);
    EXPECT_EQ(host.readMemory(0x100, 1000), image);
    EXPECT_EQ(host.readMemory(0xFC, 4), Bytes(4, 0xFF));

    // An empty write is answered twice right away: no data phase to wait for.
    host.write(commandReport(0x04, { 0x1000, 0, 0 }, 1));
    EXPECT_EQ(host.read(), genericReport(0, 0x04));
    EXPECT_EQ(host.read(), genericReport(0, 0x04));
}

TEST(VirtualController, RefusesWritesToUnerasedFlashAndOutsideIt)
{
    SimEnvironment env;
    Host host;
    host.write(commandReport(0x04, { 0, 8, 0 }, 1));
    EXPECT_EQ(host.read(), genericReport(0, 0x04));
    host.write(dataReport(Bytes(8, 0x11)));
    EXPECT_EQ(host.read(), (Bytes{ 3, 0, 0, 0 }));
    EXPECT_EQ(host.read(), genericReport(10210, 0x04));
    EXPECT_EQ(host.readMemory(0, 4), (Bytes{ 0x00, 0x00, 0x03, 0x20 }));

    EXPECT_EQ(host.exchange(commandReport(0x04, { 0x7fff0, 0x20, 0 }, 1)), genericReport(10200, 0x04));
    EXPECT_EQ(host.exchange(commandReport(0x03, { 0x7fff0, 0x20, 0 })), responseReport(0xA3, 0, { 10200, 0 }));
}

TEST(VirtualController, HostAbortEndsTheWriteDataPhase)
{
    SimEnvironment env;
    Host host;
    ASSERT_EQ(host.eraseRegion(0, 0x1000), 0u);
    host.write(commandReport(0x04, { 0, 16, 0 }, 1));
    EXPECT_EQ(host.read(), genericReport(0, 0x04));
    host.write(dataReport(Bytes(8, 0x22)));
    host.write(Bytes{ 1, 0, 0, 0 });
    host.write(dataReport(Bytes(8, 0x33)));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.readMemory(0, 16), Bytes({ 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0xFF, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0xFF, 0xFF }));
}

TEST(VirtualController, ResetAnswersThenDropsAndComesBackInUpdateMode)
{
    SimEnvironment env;
    Host host;
    EXPECT_EQ(host.exchange(commandReport(0x0B, {})), (Bytes{ 3, 0, 12, 0, 0xa0, 0, 0, 2, 0, 0, 0, 0, 11, 0, 0, 0 }));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.lastResult(), -1);
    EXPECT_EQ(host.write(commandReport(0x07, { 11, 0 })), -1);
    EXPECT_NE(hid_error(host.handle()), nullptr);

    Host again;
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.exchange(commandReport(0x07, { 11, 0 })), responseReport(0xA7, 0, { 0, 56 }));
}

TEST(VirtualController, KeepsFlashAcrossCloseExitAndReplug)
{
    SimEnvironment env;
    {
        Host host;
        ASSERT_EQ(host.eraseRegion(0, 0x1000), 0u);
    }
    hid_exit();
    vornsim_set_variant("none");
    EXPECT_FALSE(Host().isOpen());
    vornsim_set_variant("light_gray");
    Host host(0x5e0c);
    ASSERT_TRUE(host.isOpen());
    EXPECT_EQ(host.readMemory(0, 4), Bytes(4, 0xFF));
    // Plugging in another variant leaves the flash (and its trailer) alone.
    EXPECT_EQ(host.readMemory(0x70004, 2), (Bytes{ 0x03, 0x5e }));
}

TEST(VirtualController, PersistsFlashInTheFileAcrossProcesses)
{
    TempDir dir;
    std::string path = dir.file("flash.bin");
    {
        SimEnvironment env({ { "VORN_SIM_FLASH", path }, { "VORN_SIM_VERSION", "0.5.7" } });
        std::ifstream created(path, std::ios::binary);
        Bytes contents((std::istreambuf_iterator<char>(created)), std::istreambuf_iterator<char>());
        ASSERT_EQ(contents.size(), 0x80000u);
        EXPECT_EQ(Bytes(contents.begin() + 0x70006, contents.begin() + 0x7000c), (Bytes{ 7, 0, 5, 0, 0, 0 }));

        Host host;
        ASSERT_EQ(host.eraseRegion(0x70000, 0x1000), 0u);
        ASSERT_EQ(host.writeMemory(0x70006, Bytes{ 9, 0, 6, 0, 1, 0 }), 0u);
        // The next process starts while this one still holds the device.
        std::ifstream written(path, std::ios::binary);
        written.seekg(0x70006);
        Bytes version(6);
        written.read(reinterpret_cast<char *>(version.data()), 6);
        EXPECT_EQ(version, (Bytes{ 9, 0, 6, 0, 1, 0 }));
    }
    SimEnvironment next({ { "VORN_SIM_FLASH", path } });
    Host host;
    EXPECT_EQ(host.readMemory(0x70006, 6), (Bytes{ 9, 0, 6, 0, 1, 0 }));
}

TEST(VirtualController, WorksTheSameWithFullSpeedTiming)
{
    SimEnvironment env({ { "VORN_SIM_TIMING", "full-speed" } });
    Host host;
    ASSERT_EQ(host.eraseRegion(0, 0x1000), 0u);
    Bytes data = pattern(300, 9);
    EXPECT_EQ(host.writeMemory(0, data), 0u);
    EXPECT_EQ(host.readMemory(0, 300), data);
}

TEST(VirtualController, TracesEveryReportInBothDirections)
{
    TempDir dir;
    std::string path = dir.file("trace.txt");
    {
        SimEnvironment env({ { "VORN_SIM_TRACE", path } });
        Host host;
        host.exchange(commandReport(0x0B, {}));
        host.read(20);
    }
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "> 01 00 04 00 0b 00 00 00\n"
                    "< 03 00 0c 00 a0 00 00 02 00 00 00 00 0b 00 00 00\n");
}

} // namespace
