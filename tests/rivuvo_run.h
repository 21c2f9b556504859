#pragma once

#include "blfwk/Logging.h"
#include "rivuvo.h"

#include <QStringList>

#include <gtest/gtest.h>

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
