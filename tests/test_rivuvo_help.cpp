#include "rivuvo_run.h"

#include <algorithm>
#include <sstream>

namespace {

std::vector<std::string> lines(const std::string &text)
{
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string l; std::getline(in, l);)
    {
        result.push_back(l);
    }
    return result;
}

TEST(RivuvoHelp, NoArgumentsPrintTheUsageLineAndTheThreeBlocks)
{
    RivuvoRun run({});
    EXPECT_EQ(run.code, 0);
    std::vector<std::string> out = lines(run.printed);
    ASSERT_GT(out.size(), 10u);
    EXPECT_EQ(out[0], "usage: rivuvo [-?|--help] [-v|--version] [-p|--port <name>[,<speed>]]");
    EXPECT_EQ(out[1], "              [-i|--i2c <name>[,<address>,<speed>]]");
    bool usbItem = false;
    for (const std::string &l : out)
    {
        usbItem = usbItem || l.find("[-u|--usb [[[[<vid>,]<pid>] | [<path>]]]]") != std::string::npos;
    }
    EXPECT_TRUE(usbItem);

    const size_t options = run.printed.find("\nOptions:\n");
    const size_t memory = run.printed.find("\nMemory ID:\n");
    const size_t commands = run.printed.find("\nCommand:\n");
    ASSERT_NE(options, std::string::npos);
    EXPECT_LT(options, memory);
    EXPECT_LT(memory, commands);
    EXPECT_NE(run.printed.find("** Note that not all memories are supported on all platforms.\n"), std::string::npos);
    const std::string last = "\n** Note that not all commands/properties are supported on all platforms.\n";
    ASSERT_GT(run.printed.size(), last.size());
    EXPECT_EQ(run.printed.substr(run.printed.size() - last.size()), last);
}

TEST(RivuvoHelp, HelpEntriesStartAfterTwoBlanksAndDescriptionsInColumn32)
{
    RivuvoRun run({ "-?" });
    EXPECT_EQ(run.code, 0);
    const std::vector<std::string> out = lines(run.printed);
    const std::string continuation(31, ' ');
    // Past the usage line: blank lines, titles, the closing notes, entries
    // (two blanks, the syntax, and, when the syntax leaves room, padding up to
    // the description) and continuation lines indented by 31 blanks.
    for (auto l = std::find(out.begin(), out.end(), "Options:"); l != out.end(); ++l)
    {
        if (l->empty() || *l == "Options:" || *l == "Memory ID:" || *l == "Command:" || l->rfind("** Note", 0) == 0)
        {
            continue;
        }
        if (l->rfind(continuation, 0) == 0)
        {
            EXPECT_NE((*l)[31], ' ') << *l;
            continue;
        }
        ASSERT_EQ(l->rfind("  ", 0), 0u) << *l;
        EXPECT_NE((*l)[2], ' ') << *l;
        const size_t gap = l->find("  ", 2);
        if (gap != std::string::npos)
        {
            EXPECT_EQ(l->find_first_not_of(' ', gap), 31u) << *l;
        }
    }
    for (const char *row : {
             "  -u/--usb [[[<vid>,]<pid>] | [<path>]]\n",
             "                               vid/pid (default=0x3b7c,0x5e03) or device path\n",
             "  -j/--json                    Print output in JSON format to aid automation.\n",
             "                               (default=5000)\n",
             "  -b/--buspal spi[,<speed>,<polarity>,<phase>,lsb|msb] | i2c[,<address>,<speed>] | "
             "can[,<speed>,<txid>,<rxid>] | sai[,<speed>]\n",
             "  0                            Internal Memory\n",
             "  289 (0x121)                  uSDHC MMC Memory\n",
             "  reset                        Reset the chip\n",
             "                               1  Bootloader version\n",
             "                               30 Byte write timeout in milliseconds\n",
             "  write-memory <addr> [<file>[,byte_count]| {{<hex-data>}}] [memory_id]\n",
         })
    {
        EXPECT_NE(run.printed.find(row), std::string::npos) << row;
    }
}

TEST(RivuvoHelp, VersionIsTheToolNameAndVersionThenTheNotice)
{
    RivuvoRun run({ "--version" });
    EXPECT_EQ(run.code, 0);
    std::vector<std::string> out = lines(run.printed);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], "rivuvo 2.6.7");
    EXPECT_EQ(out[1].rfind("Copyright", 0), 0u);
}

TEST(RivuvoHelp, OptionsWithoutACommandPrintTheUsage)
{
    RivuvoRun run({ "-u", "0x5e0b" });
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.printed.rfind("usage: rivuvo ", 0), 0u);
    EXPECT_TRUE(run.texts.isEmpty());
}

TEST(RivuvoHelp, UsbArgumentForms)
{
    char program[] = "rivuvo";
    auto parse = [&](std::vector<std::string> words) {
        words.insert(words.begin(), program);
        words.push_back("--");
        words.push_back("reset");
        std::vector<char *> argv;
        for (std::string &w : words)
        {
            argv.push_back(w.data());
        }
        auto rivuvo = std::make_unique<RiVuvo>(static_cast<int>(argv.size()), argv.data(), nullptr);
        // Construction failures of the device are fine here: only the options matter.
        testing::internal::CaptureStdout();
        rivuvo->run();
        testing::internal::GetCapturedStdout();
        return rivuvo;
    };
    auto one = parse({ "-t", "1", "-u", "0x5e0c" });
    EXPECT_EQ(one->m_usbVid, 0x3b7c);
    EXPECT_EQ(one->m_usbPid, 0x5e0c);
    EXPECT_EQ(one->m_usbPath, "");

    auto path = parse({ "-t", "1", "-u", "/dev/hidraw9" });
    EXPECT_EQ(path->m_usbPid, 0x5e03);
    EXPECT_EQ(path->m_usbPath, "/dev/hidraw9");

    auto three = parse({ "-t", "1", "-u", "1,2,3" });
    EXPECT_EQ(three->m_usbVid, 0x3b7c);
    EXPECT_EQ(three->m_usbPid, 0x5e03);
    EXPECT_EQ(three->m_usbPath, "");
    EXPECT_TRUE(three->m_useUsb);

    auto both = parse({ "-n", "--timeout=7", "--usb=0x1234,0x5678" });
    EXPECT_EQ(both->m_usbVid, 0x1234);
    EXPECT_EQ(both->m_usbPid, 0x5678);
    EXPECT_EQ(both->m_packetTimeoutMs, 7u);
    EXPECT_FALSE(both->m_ping);
    EXPECT_EQ(both->m_cmdv, (string_vector_t{ "reset" }));
}

} // namespace
