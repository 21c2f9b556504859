// A controller that is plugged in but may not be opened, told apart from
// one that is not there, by the engine's helper and by the console tool.
#include "blfwk/UsbHidPresence.h"
#include "lock_holder.h"
#include "rivuvo_run.h"

#include <string>

using simtest::SimEnvironment;

namespace {

const char kOpenFailure[] = "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e03, sn=).";

TEST(RivuvoAccess, ARefusedControllerIsPresentAndAnotherVariantIsNot)
{
    SimEnvironment sim({ { "VORN_SIM_FAULT", "denied" } });
    EXPECT_TRUE(blfwk::isUsbHidDevicePresent(0x3b7c, 0x5e03));
    EXPECT_FALSE(blfwk::isUsbHidDevicePresent(0x3b7c, 0x5e0d));
    EXPECT_FALSE(blfwk::isUsbHidDevicePresent(0, 0)) << "a zero ID would list any device";
}

TEST(RivuvoAccess, TheConsoleToolAddsTheHintOnlyWhenThePluggedInControllerIsRefused)
{
    const std::string failureLine = std::string(kOpenFailure) + "\n";
    SimEnvironment sim({ { "VORN_SIM_FAULT", "denied" } });
    ToolRun run = runTool("-u 0x3b7c,0x5e03 -- read-memory 0x70006 6");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, failureLine);
    EXPECT_EQ(run.err.rfind("rivuvo: the controller is plugged in, but this user may not open it.", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("60-kelvo-updater.rules"), std::string::npos);
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line, ended";
    EXPECT_EQ(run.both, failureLine + run.err);

    // Another variant is not there at all: no hint.
    ToolRun other = runTool("-u 0x3b7c,0x5e0d -- read-memory 0x70006 6");
    EXPECT_EQ(other.code, 1);
    EXPECT_EQ(other.out, "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=).\n")
        << "the line is ended on the console";
    EXPECT_EQ(other.err, "");
    // A failure that is not the open's says nothing about access.
    ToolRun words = runTool("-u 0x3b7c,0x5e03 -- reset now");
    EXPECT_EQ(words.code, 1);
    EXPECT_EQ(words.err, "");
}

// One writer per controller: a run refuses before it sends anything while
// another program holds the controller, and goes on once it is free.
TEST(RivuvoAccess, AControllerInUseByAnotherProgramIsRefusedBeforeAnythingIsSent)
{
    SimEnvironment sim({ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_VERSION", "0.5.19" } });
    const std::string path = vorn::enumeratedDevicePath(0x3b7c, 0x5e03);
    ASSERT_FALSE(path.empty());
    testlock::LockHolder other(path);
    ASSERT_TRUE(other.take());

    RivuvoRun erase(withDevice({ "flash-erase-region", "0x00", "0x71000" }));
    EXPECT_EQ(erase.code, 1);
    ASSERT_EQ(erase.texts.size(), 1) << erase.texts.join("|").toStdString();
    EXPECT_EQ(erase.texts[0].toStdString(),
              "Error: Another program is using the controller at " + path +
                  ": let it finish, or close it, then try again.\n");

    // Read by a run of the free controller: the erase never reached it.
    other.release();
    RivuvoRun read(withDevice({ "read-memory", "0x70006", "6" }));
    EXPECT_EQ(read.code, 0);
    EXPECT_TRUE(read.texts.contains("Version: 13 00 05 00 00 00 ")) << read.texts.join("|").toStdString();
}

} // namespace
