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
    // Refused values set neither ID: a pair with a bad half, a pair without its
    // product, and a list that names no device at all.
    const std::pair<const char *, const char *> refused[] = {
        { "0x1234,0x10000", "Error: 0x10000 is not valid pid for option -u.\n" },
        { "0x3b7c,", "Error:  is not valid pid for option -u.\n" },
        { "0x1234,0x5678,1", "Error: 0x1234,0x5678,1 is not valid for option -u.\n" },
        { "0x1234,0x5678,", "Error: 0x1234,0x5678, is not valid for option -u.\n" },
    };
    for (const auto &r : refused)
    {
        uint16_t vid = 1, pid = 2;
        std::string path = "stale";
        EXPECT_EQ(readUsbArgument(r.first, vid, pid, path), r.second);
        EXPECT_EQ(vid, 1) << r.first;
        EXPECT_EQ(pid, 2) << r.first;
    }
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
