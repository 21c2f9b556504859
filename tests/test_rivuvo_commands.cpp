#include "rivuvo_run.h"

#include <fstream>

using simtest::SimEnvironment;
using simtest::TempDir;

namespace {

TEST(RivuvoCommands, AVersionReadLogsTheRoadInOrderAndDumpsTheBytes)
{
    SimEnvironment sim;
    RivuvoRun run(withDevice({ "read-memory", "0x70006", "6" }));

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
}

TEST(RivuvoCommands, AWholeCountedOrHexTextWriteLandsInFlashWithOneProgressTextPerPacketAndTheControllerComesBack)
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

    SimEnvironment sim({ { "VORN_SIM_FLASH", flash } });
    ASSERT_EQ(RivuvoRun(withDevice({ "flash-erase-region", "0x1000", "0x3000" })).code, 0);
    RivuvoRun write(withDevice({ "write-memory", "0x1000", image }));
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

    EXPECT_EQ(simtest::readFile(flash).substr(0x1000, content.size()), content);

    // A count takes the file's first bytes only; hex text is written as its bytes.
    EXPECT_EQ(RivuvoRun(withDevice({ "write-memory", "0x3800", image + ",16" })).texts.last(),
              "Wrote 16 of 16 bytes.\n");
    EXPECT_EQ(RivuvoRun(withDevice({ "write-memory", "0x3900", "{{11 22 33}}" })).texts.last(),
              "Wrote 3 of 3 bytes.\n");
    const std::string written = simtest::readFile(flash);
    EXPECT_EQ(written.substr(0x3800, 17), content.substr(0, 16) + '\xff');
    EXPECT_EQ(written.substr(0x3900, 4), "\x11\x22\x33\xff");

    EXPECT_EQ(RivuvoRun(withDevice({ "reset" })).texts.last(), "Response status = 0 (0x0) Success.\n");
    // The controller restarted in update mode and answers again.
    EXPECT_EQ(RivuvoRun(withDevice({ "read-memory", "0x70006", "6" })).code, 0);
}

TEST(RivuvoCommands, JsonOptionPrintsTheRecordInsteadOfTheInfoLines)
{
    SimEnvironment sim;
    RivuvoRun run({ "-j", "-u", "0x3b7c,0x5e03", "--", "read-memory", "0x70006", "6" });
    EXPECT_EQ(run.code, 0);
    // The record's layout is the report's own; here only that it replaces the info lines.
    ASSERT_EQ(run.texts.size(), 1);
    EXPECT_TRUE(run.texts[0].startsWith("{\n   \"command\" : \"read-memory\",\n   \"response\" : [ 6 ],"))
        << run.texts[0].toStdString();
}

} // namespace
