#include "rivuvo_run.h"
#include "sim_test_support.h"

#include <fstream>

using simtest::SimEnvironment;
using simtest::TempDir;

namespace {

std::vector<std::string> traceLines(const std::string &path)
{
    return linesOf(std::ifstream(path));
}

const std::vector<std::string> kDevice = { "-u", "0x3b7c,0x5e03", "--" };

std::vector<std::string> line(std::initializer_list<std::string> words)
{
    std::vector<std::string> all = kDevice;
    all.insert(all.end(), words);
    return all;
}

TEST(RivuvoCommands, AVersionReadLogsTheRoadInOrderAndSendsTheReadPacket)
{
    TempDir dir;
    SimEnvironment sim({ { "VORN_SIM_TRACE", dir.file("trace") } });

    RivuvoRun run(line({ "read-memory", "0x70006", "6" }));

    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.texts, (QStringList{
                             "Inject command 'read-memory'\n",
                             "Successful response to command 'read-memory'\n",
                             "Version: 13 00 05 00 00 00 ",
                             "\r(1/1)100%",
                             " Completed!\n",
                             "Successful generic response to command 'read-memory'\n",
                             "Response status = 0 (0x0) Success.\n",
                             "Response word 1 = 6 (0x6)\n",
                             "Read 6 of 6 bytes.\n",
                         }));
    // The dump on standard output comes with the log texts.
    EXPECT_NE(run.printed.find("\r13 00 05 00 00 00 Version: 13 00 05 00 00 00 \n"), std::string::npos)
        << run.printed;

    std::vector<std::string> trace = traceLines(dir.file("trace"));
    ASSERT_EQ(trace.size(), 4u);
    EXPECT_EQ(trace[0], "> 01 00 10 00 03 00 00 03 06 00 07 00 06 00 00 00 00 00 00 00");
    EXPECT_EQ(trace[1], "< 03 00 0c 00 a3 01 00 02 00 00 00 00 06 00 00 00");
    EXPECT_EQ(trace[2], "< 04 00 06 00 13 00 05 00 00 00");
    EXPECT_EQ(trace[3], "< 03 00 0c 00 a0 00 00 02 00 00 00 00 03 00 00 00");
}

TEST(RivuvoCommands, ErasesAndResetReportSuccessLastAndTheControllerComesBack)
{
    SimEnvironment sim;
    RivuvoRun region(line({ "flash-erase-region", "0x00", "0x71000" }));
    EXPECT_EQ(region.code, 0);
    EXPECT_EQ(region.texts, (QStringList{ "Inject command 'flash-erase-region'\n",
                                          "Successful generic response to command 'flash-erase-region'\n",
                                          "Response status = 0 (0x0) Success.\n" }));
    EXPECT_EQ(RivuvoRun(line({ "flash-erase-all" })).code, 0);
    RivuvoRun reset(line({ "reset" }));
    EXPECT_EQ(reset.code, 0);
    EXPECT_EQ(reset.texts.last(), "Response status = 0 (0x0) Success.\n");

    // The controller restarted in update mode and answers again.
    EXPECT_EQ(RivuvoRun(line({ "read-memory", "0x70006", "6" })).code, 0);
}

TEST(RivuvoCommands, AWriteFromAFileLandsInFlashAndReadsBackInTheNextProcess)
{
    TempDir dir;
    const std::string flash = dir.file("flash.bin");
    const std::string image = dir.file("image.bin");
    std::string content;
    for (int i = 0; i < 10000; ++i)
    {
        content += static_cast<char>(i * 7);
    }
    std::ofstream(image, std::ios::binary) << content;

    {
        SimEnvironment sim({ { "VORN_SIM_FLASH", flash } });
        ASSERT_EQ(RivuvoRun(line({ "flash-erase-region", "0x1000", "0x3000" })).code, 0);
        RivuvoRun write(line({ "write-memory", "0x1000", image }));
        EXPECT_EQ(write.code, 0);
        EXPECT_EQ(write.texts.first(), "Inject command 'write-memory'\n");
        EXPECT_TRUE(write.texts.contains("Preparing to send 10000 (0x2710) bytes to the target.\n"));
        EXPECT_EQ(write.texts.count("Successful generic response to command 'write-memory'\n"), 2);
        // 179 packets of up to 56 bytes, fewer distinct percentages.
        const QStringList progress = write.texts.filter("\r(1/1)");
        EXPECT_EQ(progress.size(), 179) << "one text per data packet";
        EXPECT_EQ(progress.first(), "\r(1/1) 0%");
        EXPECT_EQ(progress.last(), "\r(1/1)100%");
        EXPECT_EQ(write.texts.count(" Completed!\n"), 1);
        EXPECT_EQ(write.texts.last(), "Wrote 10000 of 10000 bytes.\n");
    }

    // A fresh controller state over the same flash file, as a new process sees it.
    SimEnvironment sim({ { "VORN_SIM_FLASH", flash } });
    const std::string readBack = dir.file("read.bin");
    RivuvoRun read(line({ "read-memory", "0x1000", "10000", readBack }));
    EXPECT_EQ(read.code, 0);
    EXPECT_EQ(simtest::readFile(readBack), content);
    EXPECT_EQ(read.texts.last(), "Read 10000 of 10000 bytes.\n");
}

TEST(RivuvoCommands, AWriteWithACountOrFromHexTextWritesExactlyThoseBytes)
{
    TempDir dir;
    SimEnvironment sim;
    const std::string image = dir.file("image.bin");
    std::ofstream(image, std::ios::binary) << std::string(1024, '\x5a');

    ASSERT_EQ(RivuvoRun(line({ "flash-erase-region", "0x7f000", "0x1000" })).code, 0);
    EXPECT_EQ(RivuvoRun(line({ "write-memory", "0x7f000", image + ",16" })).texts.last(), "Wrote 16 of 16 bytes.\n");
    EXPECT_EQ(RivuvoRun(line({ "write-memory", "0x7f100", "{{11 22 33}}" })).texts.last(), "Wrote 3 of 3 bytes.\n");

    EXPECT_TRUE(RivuvoRun(line({ "read-memory", "0x7f000", "17" }))
                    .texts.contains("Version: 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A FF "));
    EXPECT_TRUE(RivuvoRun(line({ "read-memory", "0x7f100", "4" })).texts.contains("Version: 11 22 33 FF "));
}

TEST(RivuvoCommands, JsonOptionPrintsTheRecordInsteadOfTheInfoLines)
{
    SimEnvironment sim;
    RivuvoRun run({ "-j", "-u", "0x3b7c,0x5e03", "--", "read-memory", "0x70006", "6" });
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.texts, (QStringList{ "{\n"
                                       "   \"command\" : \"read-memory\",\n"
                                       "   \"response\" : [ 6 ],\n"
                                       "   \"status\" : {\n"
                                       "      \"description\" : \"0 (0x0) Success.\",\n"
                                       "      \"value\" : 0\n"
                                       "   }\n"
                                       "}\n" }));
}

} // namespace
