#include "rivuvo_run.h"

#include <sys/stat.h>

#include <string>

using simtest::SimEnvironment;
using simtest::TempDir;

namespace {

TEST(RivuvoFailures, RefusedOptionsAreReportedWithTheUsageLineBeforeAnyDevice)
{
    SimEnvironment sim({ { "VORN_SIM_VARIANT", "none" } });
    struct Case
    {
        std::vector<std::string> words;
        const char *error;
    };
    const Case cases[] = {
        { { "-u", "-p", "COM3", "--", "reset" }, "Error: You cannot specify -p with -u and/or -l option(s).\n" },
        { { "-p", "COM3", "-u", "--", "reset" }, "Error: You cannot specify -u with -p option.\n" },
        { { "-p", "tty0", "--", "reset" },
          "Error: You must specify the COM port identifier string with the -p/--port option.\n" },
        { { "-p", "COM3,0", "--", "reset" }, "Error: You must specify a valid baud rate with the -p/--port option.\n" },
        { { "-i", "x", "--", "reset" }, "Error: -i/--i2c option is only supported by ARM Linux rivuvo\n" },
        { { "-s", "x", "--", "reset" }, "Error: -s/--spi option is only supported by ARM Linux rivuvo\n" },
        { { "-l", "spi", "--", "reset" }, "Error: -l/--usbsio option is not supported by current rivuvo\n" },
        { { "-b", "uart,1", "--", "reset" }, "Error: uart is not valid for option -b/--buspal.\n" },
        { { "-u", "0x10000,0x5e03", "--", "reset" }, "Error: 0x10000 is not valid vid for option -u.\n" },
        { { "-u", "0x3b7c,pid", "--", "reset" }, "Error: pid is not valid pid for option -u.\n" },
        // Neither names a device the user wrote: the defaults must not be opened instead.
        { { "-u", "0x1234,0x5678,1", "--", "reset" }, "Error: 0x1234,0x5678,1 is not valid for option -u.\n" },
        { { "-u", "0x3b7c,", "--", "reset" }, "Error:  is not valid pid for option -u.\n" },
        { { "-t", "5s", "-u", "--", "reset" }, "Error: 5s is not valid for option -t/--timeout.\n" },
        // hidapi's time-out is an int: these would wait for ever there.
        { { "-t", "2147483648", "-u", "--", "reset" }, "Error: 2147483648 is not valid for option -t/--timeout.\n" },
    };
    for (const Case &c : cases)
    {
        RivuvoRun run(c.words);
        EXPECT_EQ(run.code, 0) << c.error;
        EXPECT_EQ(run.texts, QStringList{ c.error });
        // The logger prints the error, then the usage line follows.
        EXPECT_EQ(run.printed.find("usage: rivuvo [-?|--help]"), std::string(c.error).size()) << run.printed;
        EXPECT_EQ(run.printed.find("Options:"), std::string::npos) << "only the usage line follows an option error";
    }
}

TEST(RivuvoFailures, UnknownAmbiguousOrEmptyOptionsEndTheRunWithOneBeforeAnyDevice)
{
    TempDir dir;
    SimEnvironment sim({ { "VORN_SIM_TRACE", dir.file("trace") } });
    const std::pair<std::vector<std::string>, const char *> cases[] = {
        { { "-x", "--", "reset" }, "rivuvo: unknown option -x.\n" },
        { { "--=x", "--", "reset" }, "rivuvo: ambiguous option --=x.\n" },
        { { "-" }, "rivuvo: unknown option -.\n" },
        { { "-u", "-", "--", "reset" }, "rivuvo: unknown option -.\n" },
    };
    for (const auto &c : cases)
    {
        testing::internal::CaptureStderr();
        RivuvoRun run(c.first);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.second);
        EXPECT_EQ(run.code, 1) << c.second;
        EXPECT_TRUE(run.texts.isEmpty()) << c.second;
    }
    EXPECT_EQ(simtest::readFile(dir.file("trace")), "") << "no report may have been exchanged";

    // A blank ends an option's name: this one word is the help option.
    RivuvoRun help({ "--help x" });
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.printed.find("Options:"), std::string::npos);
}

TEST(RivuvoFailures, UnknownCommandWordsAreQuotedWholeAndNothingIsOpened)
{
    TempDir dir;
    SimEnvironment sim({ { "VORN_SIM_TRACE", dir.file("trace") } });
    RivuvoRun run({ "-u", "--", "get-property", "1", "0" });
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.texts, QStringList{ "Error: invalid command or arguments 'get-property 1 0'\n" });
    RivuvoRun extra({ "-u", "--", "reset", "now" });
    EXPECT_EQ(extra.texts, QStringList{ "Error: invalid command or arguments 'reset now'\n" });
    EXPECT_EQ(simtest::readFile(dir.file("trace")), "") << "no report may have been exchanged";
}

TEST(RivuvoFailures, TransportsOtherThanUsbAreRefusedByTheSession)
{
    EXPECT_EQ(RivuvoRun({ "--", "reset" }).texts, QStringList{ "Error: Unsupported peripheral type(1)." });
    // With -u, no bridge word names a command, so the pre-config command fails.
    EXPECT_EQ(RivuvoRun({ "-u", "-b", "spi,1000,2,3", "--", "reset" }).texts,
              QStringList{ "Error: invalid command or arguments 'spi 1000 2 3'\n" });
    // Of the spi words only a speed below 1 is refused.
    EXPECT_EQ(RivuvoRun({ "-u", "-b", "spi,0,1,1", "--", "reset" }).texts,
              QStringList{ "Error: spi is not valid for option -b/--buspal.\n" });
}

TEST(RivuvoFailures, AMissingOrLateResponseIsNoResponseAndReachesTheShellAsTwenty)
{
    SimEnvironment sim({ { "VORN_SIM_FAULT", "silent:flash-erase-region" } });
    RivuvoRun run(withDevice({ "flash-erase-region", "0", "0x1000" }));
    EXPECT_EQ(run.code, 10004);
    EXPECT_TRUE(run.texts.contains("sendCommandGetResponse.readPacket error 5.\n"));
    EXPECT_EQ(run.texts.last(), "Response status = 10004 (0x2714) No response packet from target device.\n");

    // An answer later than the time-out given is missing as well.
    SimEnvironment late({ { "VORN_SIM_FAULT", "delay:read-memory:1000" } });
    EXPECT_EQ(RivuvoRun(withDevice({ "read-memory", "0x70006", "6" }, "200")).code, 10004);

    // The console tool hands the code to the shell, which keeps its low byte.
    SimEnvironment silent({ { "VORN_SIM_FAULT", "silent:flash-erase-region*" } });
    EXPECT_EQ(runTool("-t 100 -u -- flash-erase-region 0 0x1000").code, 20);
}

TEST(RivuvoFailures, TheTargetAbortingAWriteEndsItWithItsStatus)
{
    SimEnvironment sim({ { "VORN_SIM_FAULT", "abort:write-memory:2" } });
    ASSERT_EQ(RivuvoRun(withDevice({ "flash-erase-region", "0", "0x1000" })).code, 0);
    RivuvoRun run(withDevice({ "write-memory", "0", std::string("{{") + std::string(400, 'a') + "}}" }));
    // The host does not poll for aborts while it sends, so it learns of it
    // only from the final response, after its last packet.
    EXPECT_TRUE(run.texts.contains("Response status = 10002 (0x2712) kStatus_AbortDataPhase\n"))
        << run.texts.join("").toStdString();
    EXPECT_EQ(run.texts.last(), "Wrote 200 of 200 bytes.\n");
}

TEST(RivuvoFailures, AnImageThatIsNotARegularFileIsRefusedBeforeAnyReportAndAMissingOneAfterTheOpen)
{
    TempDir dir;
    SimEnvironment sim({ { "VORN_SIM_TRACE", dir.file("trace") } });
    const std::string directory = dir.file("image.bin");
    const std::string fifo = dir.file("fifo.bin");
    ASSERT_EQ(::mkdir(directory.c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // A FIFO with no writer would block an open for reading for ever.
    for (const std::string &source : { directory, fifo, fifo + ",16" })
    {
        const std::string path = source.substr(0, source.find(','));
        RivuvoRun run(withDevice({ "write-memory", "0", source }));
        EXPECT_EQ(run.code, 1) << source;
        EXPECT_EQ(run.texts, QStringList{ QString::fromStdString("Error: '" + path +
                                                                  "' is not a regular file; nothing was sent.\n") });
    }
    EXPECT_EQ(simtest::readFile(dir.file("trace")), "") << "the device was not even opened";

    // A missing file is found only once the device is open; nothing was written, so the run failed.
    RivuvoRun missing(withDevice({ "write-memory", "0", "/nonexistent/image.bin" }));
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.texts, (QStringList{ "Inject command 'write-memory'\n",
                                           "Error: cannot open input data file '/nonexistent/image.bin'\n" }));
}

TEST(RivuvoFailures, ACommandStoppedByItsOwnErrorBeforeTheExchangeEndsTheRunWithOne)
{
    TempDir dir;
    const std::string directory = dir.file("out");
    ASSERT_EQ(::mkdir(directory.c_str(), 0700), 0);
    struct Case
    {
        std::vector<std::string> words;
        const char *error;
        const char *maxPacket;
    };
    const Case cases[] = {
        { { "write-memory", "0", ",5" }, "Error: cannot open input data file ''\n", "56" },
        { { "read-memory", "0", "4", directory }, "cannot open output data file", "56" },
        { { "write-memory", "0", "{{11 22}}" }, "Error: Packet size(16384) is bigger than max supported size(8192).",
          "16384" },
    };
    for (const Case &c : cases)
    {
        SimEnvironment sim({ { "VORN_SIM_MAX_PACKET", c.maxPacket } });
        RivuvoRun run(withDevice(c.words));
        EXPECT_EQ(run.code, 1) << c.error;
        EXPECT_NE(run.texts.join("").indexOf(c.error), -1) << run.texts.join("").toStdString();
    }
    // A target that refuses a command still answered: its status is in the log, the run is 0.
    SimEnvironment refused({ { "VORN_SIM_FAULT", "status:flash-erase-region:10" } });
    EXPECT_EQ(RivuvoRun(withDevice({ "flash-erase-region", "0", "0x1000" })).code, 0);
}

} // namespace
