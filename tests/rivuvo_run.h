#pragma once

#include "blfwk/Logging.h"
#include "rivuvo.h"
#include "sim_test_support.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

//! Runs one engine command line in-process, as the console tool does, and
//! keeps what it logged (one entry per log call) and what it printed.
struct RivuvoRun
{
    int code = -1;
    QStringList texts;
    std::string printed;

    explicit RivuvoRun(std::vector<std::string> words)
    {
        words.insert(words.begin(), "rivuvo");
        std::vector<char *> argv;
        for (std::string &word : words)
        {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        StdoutLogger logger;
        QObject::connect(&logger, &Logger::newLogMsg, [this](const QString &text) { texts << text; });
        Log::setLogger(&logger);
        RiVuvo rivuvo(static_cast<int>(words.size()), argv.data(), nullptr);
        rivuvo.m_logger = &logger;

        testing::internal::CaptureStdout();
        code = rivuvo.run();
        printed = testing::internal::GetCapturedStdout();
        Log::setLogger(nullptr);
    }
};

//! A command for the controller the tests plug in, with a short packet time-out.
inline std::vector<std::string> withDevice(const std::vector<std::string> &words, const char *timeout = "300")
{
    std::vector<std::string> all = { "-t", timeout, "-u", "0x3b7c,0x5e03", "--" };
    all.insert(all.end(), words.begin(), words.end());
    return all;
}

struct ToolRun
{
    int code = -1;
    std::string out;
    std::string err;
    std::string both; //!< standard output and error in the order written
};

//! Runs the console tool in a process of its own.
inline ToolRun runTool(const std::string &arguments)
{
    simtest::TempDir dir;
    const std::string tool = std::string(RIVUVO_SIM_PATH) + " " + arguments;
    ToolRun run;
    const int status = std::system((tool + " >" + dir.file("out") + " 2>" + dir.file("err")).c_str());
    EXPECT_TRUE(WIFEXITED(status));
    run.code = WEXITSTATUS(status);
    run.out = simtest::readFile(dir.file("out"));
    run.err = simtest::readFile(dir.file("err"));
    EXPECT_EQ(std::system((tool + " >" + dir.file("both") + " 2>&1").c_str()), status);
    run.both = simtest::readFile(dir.file("both"));
    return run;
}
