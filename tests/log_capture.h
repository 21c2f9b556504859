#pragma once

#include "blfwk/Logging.h"

#include <algorithm>
#include <string>
#include <vector>

//! Installs itself as the process logger and records each text that passes
//! its filter instead of printing it.
class LogCapture : public Logger
{
public:
    explicit LogCapture(log_level_t filter = kInfo)
    {
        setFilterLevel(filter);
        Log::setLogger(this);
    }
    ~LogCapture() override { Log::setLogger(nullptr); }

    bool contains(const std::string &text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }

    std::vector<std::string> texts;

protected:
    void _log(const char *msg) override { texts.push_back(msg); }
};
