#pragma once

#include "blfwk/Logging.h"

#include <stdexcept>
#include <string>
#include <vector>

//! Keeps every log text, one entry per log call, and installs itself for its
//! lifetime.
class RecordingLogger : public Logger
{
public:
    explicit RecordingLogger(log_level_t filter = kInfo)
    {
        setFilterLevel(filter);
        Log::setLogger(this);
    }
    ~RecordingLogger() override { Log::setLogger(nullptr); }

    std::vector<std::string> texts;

protected:
    void _log(const char *msg) override { texts.push_back(msg); }
};

//! The text of the runtime error that @a action throws, or "(no error)".
template <typename Action>
std::string errorText(Action action)
{
    try
    {
        action();
    }
    catch (const std::runtime_error &e)
    {
        return e.what();
    }
    return "(no error)";
}
