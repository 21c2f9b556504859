#include "driver/rivuvo_connection.h"
#include "driver/rivuvo_help.h"
#include "rivuvo_run.h"

#include <algorithm>

namespace {

TEST(RivuvoHelp, HelpOrNoCommandPrintsTheUsageLineThenTheThreeBlocks)
{
    const std::string blocks = std::string(k_optionUsage) + k_memoryId + k_commandUsage;
    for (const std::vector<std::string> &words :
         { std::vector<std::string>{}, { "-?" }, { "--help" }, { "-u", "0x5e0b" } })
    {
        RivuvoRun run(words);
        EXPECT_EQ(run.code, 0);
        EXPECT_TRUE(run.texts.isEmpty());
        EXPECT_EQ(run.printed.rfind("usage: rivuvo [-?|--help] [-v|--version] [-p|--port <name>[,<speed>]]\n", 0), 0u)
            << run.printed;
        ASSERT_GT(run.printed.size(), blocks.size());
        EXPECT_EQ(run.printed.substr(run.printed.size() - blocks.size()), blocks);
        const std::string positionals = " -- command <args...>\n";
        EXPECT_EQ(run.printed.find(positionals), run.printed.size() - blocks.size() - positionals.size());
    }
}

TEST(RivuvoHelp, EveryOptionIsListedUnderItsShortAndLongName)
{
    const std::string options = k_optionUsage;
    for (const char *const *entry = k_optionsDefinition; *entry; ++entry)
    {
        const std::string spec = *entry;
        const std::string listed = "\n  -" + spec.substr(0, 1) + "/--" + spec.substr(2, spec.find(' ') - 2);
        EXPECT_NE(options.find(listed), std::string::npos) << spec;
    }
}

TEST(RivuvoHelp, VersionIsTheToolNameAndVersionThenTheNotice)
{
    RivuvoRun run({ "--version" });
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.printed.rfind("rivuvo 2.6.7\nCopyright", 0), 0u) << run.printed;
    EXPECT_EQ(std::count(run.printed.begin(), run.printed.end(), '\n'), 4);
}

TEST(RivuvoOptions, UsbArgumentSelectsAProductAVendorAndProductOrAPath)
{
    struct Case
    {
        const char *value;
        uint16_t vid, pid;
        const char *path;
    };
    const Case cases[] = {
        { "0x5e0c", 0x3b7c, 0x5e0c, "" },           // one number: the product only
        { "/dev/hidraw9", 0x3b7c, 0x5e03, "/dev/hidraw9" },
        { "0x10000", 0x3b7c, 0x5e03, "0x10000" },   // too large for an ID: a path
        { "1,2,3", 0x3b7c, 0x5e03, "" },            // neither form: IDs kept, no path
        { "0x1234,0x5678", 0x1234, 0x5678, "" },
    };
    for (const Case &c : cases)
    {
        uint16_t vid = 0x3b7c, pid = 0x5e03;
        std::string path = "stale";
        EXPECT_EQ(readUsbArgument(c.value, vid, pid, path), "") << c.value;
        EXPECT_EQ(vid, c.vid) << c.value;
        EXPECT_EQ(pid, c.pid) << c.value;
        EXPECT_EQ(path, c.path) << c.value;
    }
    uint16_t vid = 1, pid = 2;
    std::string path;
    EXPECT_NE(readUsbArgument("0x1234,0x10000", vid, pid, path), "");
    EXPECT_EQ(vid, 1) << "a refused pair sets neither ID";
}

TEST(RivuvoOptions, ReachTheRunInEveryWrittenForm)
{
    // The largest time-out hidapi takes is accepted, and the open names the IDs.
    RivuvoRun run({ "-n", "--timeout=2147483647", "--usb=0x1234,0x5678", "--", "reset" });
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.texts,
              QStringList{ "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x1234, pid=0x5678, sn=)." });
}

} // namespace
