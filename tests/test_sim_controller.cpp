#include "sim_test_support.h"

#include "sim/vornsim_control.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace simtest;

namespace {

const Bytes kVectors{ 0x00, 0x00, 0x03, 0x20 };
const Bytes kMaxPacketQuery = command(0x07, { 11, 0 });

TEST(VirtualController, OpensOnlyUnderTheVariantsIdsAndPathWithAnOldFirmwareInFlash)
{
    {
        SimEnvironment none({ { "VORN_SIM_VARIANT", "none" } });
        EXPECT_EQ(hid_enumerate(0, 0), nullptr);
        EXPECT_FALSE(Host().isOpen());
    }
    SimEnvironment env({ { "VORN_SIM_VARIANT", "steel_gray" }, { "VORN_SIM_VERSION", "1.2.300" } });
    hid_device_info *devices = hid_enumerate(0, 0);
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(devices->vendor_id, 0x3b7c);
    EXPECT_EQ(devices->product_id, 0x5e0b);
    EXPECT_EQ(devices->next, nullptr);
    EXPECT_TRUE(Host(devices->path).isOpen());
    hid_free_enumeration(devices);
    EXPECT_EQ(hid_enumerate(0x3b7c, kBlackPid), nullptr);

    EXPECT_FALSE(Host(0x5e0b, L"").isOpen()) << "an empty serial number is compared as it is";
    EXPECT_TRUE(Host(0x5e0b, L"KELVO-SIM-0001").isOpen());
    EXPECT_FALSE(Host(0x5e0b, L"123").isOpen());
    EXPECT_FALSE(Host(kBlackPid).isOpen());
    EXPECT_TRUE(Host("\\\\.\\HID#VID_3B7C&PID_5E0B#VORNSIM#{4d1e55b2-f16f-11cf-88cb-001111000030}").isOpen());
    EXPECT_TRUE(Host("HID\\VID_3B7C&PID_5E0B\\VORNSIM").isOpen());
    EXPECT_FALSE(Host("HID\\VID_3B7C&PID_5E03\\VORNSIM").isOpen());

    Host host(0x5e0b);
    ASSERT_TRUE(host.isOpen());
    EXPECT_EQ(host.readMemory(0x70000, 12), (Bytes{ 0x7c, 0x3b, 0x10, 0x5e, 0x0b, 0x5e, 0x2c, 0x01, 2, 0, 1, 0 }));
    EXPECT_EQ(host.readMemory(0, 8), (Bytes{ 0x00, 0x00, 0x03, 0x20, 0x81, 0x01, 0x00, 0x00 }));
    EXPECT_EQ(host.readMemory(0x6fff0, 16), Bytes(16, 0x00));
    EXPECT_EQ(host.readMemory(0x7000c, 4), Bytes(4, 0xFF));
}

TEST(VirtualController, AnswersMaxPacketSizeAndSplitsReadsByIt)
{
    SimEnvironment env({ { "VORN_SIM_MAX_PACKET", "100" } });
    Host host;
    EXPECT_EQ(host.exchange(kMaxPacketQuery), response(0xA7, { 0, 100 }));
    EXPECT_EQ(host.exchange(command(0x07, { 1, 0 })), response(0xA7, { 10300 }));
    EXPECT_EQ(host.exchange(command(0x0E, {})), generic(10000, 0x0E));
    EXPECT_EQ(host.exchange(command(0x03, { 0, 4 })), response(0xA3, { 4, 0 }));

    host.write(command(0x03, { 0, 250, 0 }));
    EXPECT_EQ(host.read(), response(0xA3, { 0, 250 }, 1));
    for (uint8_t size : { 100, 100, 50 })
    {
        Bytes data = host.read();
        ASSERT_EQ(data.size(), 4u + size);
        EXPECT_EQ(Bytes(data.begin(), data.begin() + 4), (Bytes{ 4, 0, size, 0 }));
    }
    EXPECT_EQ(host.read(), generic(0, 0x03));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.lastResult(), 0);
}

TEST(VirtualController, ErasesOnlyWholeSectorsInsideTheFlash)
{
    SimEnvironment env;
    Host host;
    EXPECT_EQ(host.eraseRegion(0x800, 0x1000), 101u);
    EXPECT_EQ(host.eraseRegion(0x1000, 0x800), 101u);
    EXPECT_EQ(host.eraseRegion(0x7f000, 0x2000), 102u);
    EXPECT_EQ(host.eraseRegion(0xfffff000, 0x2000), 102u);
    EXPECT_EQ(host.exchange(command(0x02, { 0, 0x1000, 0x110 })), generic(10205, 0x02));

    EXPECT_EQ(host.exchange(command(0x02, { 0x1000, 0x1000, 0 })),
              (Bytes{ 3, 0, 12, 0, 0xa0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0 }));
    EXPECT_EQ(host.readMemory(0x1000, 0x1000), Bytes(0x1000, 0xFF));
    EXPECT_NE(host.readMemory(0x2000, 16), Bytes(16, 0xFF));
    EXPECT_EQ(host.readMemory(0, 4), kVectors);

    EXPECT_EQ(host.exchange(command(0x01, { 0 })), generic(0, 0x01));
    EXPECT_EQ(host.readMemory(0, 4), Bytes(4, 0xFF));
    EXPECT_EQ(host.readMemory(0x70000, 12), Bytes(12, 0xFF));
}

TEST(VirtualController, ProgramsOnlyErasedFlashInsideIt)
{
    // Full-speed timing changes when the answers come, never what they are.
    SimEnvironment env({ { "VORN_SIM_TIMING", "full-speed" } });
    Host host;
    ASSERT_EQ(host.eraseRegion(0, 0x2000), 0u);
    Bytes image = testpackets::sequence(1000);
    EXPECT_EQ(host.writeMemory(0x100, image), generic(0, 0x04));
    EXPECT_EQ(host.readMemory(0x100, 1000), image);
    EXPECT_EQ(host.readMemory(0xFC, 4), Bytes(4, 0xFF));

    // An empty write is answered twice right away: no data phase to wait for.
    host.write(command(0x04, { 0x1000, 0, 0 }, 1));
    EXPECT_EQ(host.read(), generic(0, 0x04));
    EXPECT_EQ(host.read(), generic(0, 0x04));

    // The host's abort (an empty command report) ends the data phase.
    host.write(command(0x04, { 0x1000, 16, 0 }, 1));
    EXPECT_EQ(host.read(), generic(0, 0x04));
    host.write(frame(2, Bytes(8, 0x22)));
    host.write(Bytes{ 1, 0, 0, 0 });
    host.write(frame(2, Bytes(8, 0x33)));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.readMemory(0x1000, 8), Bytes(8, 0x22));
    EXPECT_EQ(host.readMemory(0x1008, 8), Bytes(8, 0xFF));

    host.write(command(0x04, { 0x70000, 8, 0 }, 1));
    EXPECT_EQ(host.read(), generic(0, 0x04));
    host.write(frame(2, Bytes(8, 0x11)));
    EXPECT_EQ(host.read(), (Bytes{ 3, 0, 0, 0 }));
    EXPECT_EQ(host.read(), generic(10210, 0x04));
    EXPECT_EQ(host.readMemory(0x70000, 4), (Bytes{ 0x7c, 0x3b, 0x0f, 0x5e }));

    EXPECT_EQ(host.exchange(command(0x04, { 0x7fff0, 0x20, 0 }, 1)), generic(10200, 0x04));
    EXPECT_EQ(host.exchange(command(0x03, { 0x7fff0, 0x20, 0 })), response(0xA3, { 10200, 0 }));
}

TEST(VirtualController, TakesTheModelsOwnTimeAtFullSpeedHoweverLateTheHostWakes)
{
    // The model: 1 ms per report of up to 64 bytes, 14 ms per erased sector,
    // 60 us per programmed 8-byte phrase. A 56-byte packet is 7 phrases.
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    const int kSectors = 6, kPackets = 400;
    const auto report = milliseconds(1);
    const auto erase = report + kSectors * milliseconds(14) + report;
    const auto write = report + report + kPackets * (report + 7 * microseconds(60)) + report;
    const auto reset = report + report;
    const auto floor = erase + write + reset;

    SimEnvironment env({ { "VORN_SIM_TIMING", "full-speed" } });
    Host host;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(host.eraseRegion(0, kSectors * 0x1000), 0u);
    ASSERT_EQ(host.writeMemory(0, testpackets::sequence(kPackets * 56)), generic(0, 0x04));
    ASSERT_EQ(host.exchange(command(0x0B, {})), generic(0, 0x0B));
    const auto elapsed = std::chrono::steady_clock::now() - start;

    // Each report is due at its place on the schedule, so a thread that
    // wakes late loses nothing: only a machine that stalls the test for
    // tens of milliseconds could reach the bound.
    EXPECT_GE(elapsed, floor);
    EXPECT_LE(elapsed, floor * 105 / 100) << std::chrono::duration<double, std::milli>(elapsed).count()
                                          << " ms for a floor of "
                                          << std::chrono::duration<double, std::milli>(floor).count() << " ms";
}

TEST(VirtualController, KeepsFlashAcrossCloseExitAndReplug)
{
    SimEnvironment env;
    EXPECT_EQ(Host().eraseRegion(0, 0x1000), 0u);
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

TEST(VirtualController, ReportsAFlashFileItCannotWriteOnceAndKeepsWorking)
{
    TempDir dir;
    testing::internal::CaptureStderr();
    {
        SimEnvironment env({ { "VORN_SIM_FLASH", dir.file("missing/flash.bin") } });
        Host host;
        EXPECT_EQ(host.eraseRegion(0, 0x1000), 0u);
        EXPECT_EQ(host.readMemory(0, 4), Bytes(4, 0xFF));
    }
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("vornsim: "), 0u) << errors;
    EXPECT_EQ(errors.find("vornsim: ", 1), std::string::npos) << errors;
}

} // namespace

// hidapi's hidraw library tells its errors in these words, and a read or a
// successful write clears the last one: the engine logs what hid_error says.
TEST(VirtualController, ReportsErrorsInTheWordsOfHidapisHidrawLibrary)
{
    auto text = [](hid_device *device) { return std::wstring(hid_error(device)); };
    SimEnvironment env;
    EXPECT_EQ(hid_init(), 0);
    EXPECT_EQ(text(nullptr), L"Success");
    EXPECT_FALSE(Host(0x5e0d).isOpen());
    EXPECT_EQ(text(nullptr), L"No HID devices with requested VID/PID found in the system.");
    EXPECT_FALSE(Host(kBlackPid, L"123").isOpen());
    EXPECT_EQ(text(nullptr), L"Device with requested VID/PID/(SerialNumber) not found");
    EXPECT_FALSE(Host("/dev/hidraw7").isOpen());
    EXPECT_EQ(text(nullptr), L"Failed to open a device with path '/dev/hidraw7': No such file or directory");

    Host host;
    ASSERT_TRUE(host.isOpen());
    EXPECT_EQ(text(nullptr), L"Success");
    EXPECT_EQ(text(host.handle()), L"Success");
    EXPECT_EQ(hid_write(host.handle(), nullptr, 0), -1);
    EXPECT_EQ(text(host.handle()), L"Invalid argument");
    EXPECT_EQ(host.read(20), Bytes());
    EXPECT_EQ(host.lastResult(), 0);
    EXPECT_EQ(text(host.handle()), L"Success") << "a time-out is no error";
    EXPECT_EQ(hid_write(host.handle(), nullptr, 0), -1);
    EXPECT_EQ(host.write(command(0x0B, {})), 8);
    EXPECT_EQ(text(host.handle()), L"Success");
    EXPECT_EQ(statusOf(host.read()), 0u);
    EXPECT_EQ(host.read(), Bytes());
    EXPECT_EQ(host.lastResult(), -1);
    EXPECT_EQ(text(host.handle()), L"hid_read_timeout: unexpected poll error (device disconnected)");
    EXPECT_EQ(host.write(kMaxPacketQuery), -1);
    EXPECT_EQ(text(host.handle()), L"No such device");
}
