#pragma once

#include "blfwk/Logging.h"

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

    //! All texts joined.
    std::string joined() const
    {
        std::string all;
        for (const std::string &text : texts)
        {
            all += text;
        }
        return all;
    }

    bool contains(const std::string &text) const
    {
        for (const std::string &logged : texts)
        {
            if (logged == text)
            {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> texts;

protected:
    void _log(const char *msg) override { texts.push_back(msg); }
};
