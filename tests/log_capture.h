#pragma once

#include "blfwk/Logging.h"

#include <cstdarg>
#include <stdexcept>
#include <string>
#include <vector>

//! Installs itself as the process logger and records each text with its
//! level instead of printing it.
class LogCapture : public Logger
{
public:
    explicit LogCapture(log_level_t filter = kInfo)
    {
        setFilterLevel(filter);
        Log::setLogger(this);
    }
    ~LogCapture() override { Log::setLogger(nullptr); }

    using Logger::log;
    void log(log_level_t level, const char *fmt, va_list args) override
    {
        m_pendingLevel = level;
        Logger::log(level, fmt, args);
    }
    void logText(log_level_t level, const char *text) override
    {
        m_pendingLevel = level;
        Logger::logText(level, text);
    }

    bool contains(log_level_t level, const std::string &text) const
    {
        for (size_t i = 0; i < texts.size(); ++i)
        {
            if (levels[i] == level && texts[i] == text)
            {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> texts;
    std::vector<log_level_t> levels;

protected:
    void _log(const char *msg) override
    {
        texts.push_back(msg);
        levels.push_back(m_pendingLevel);
    }

private:
    log_level_t m_pendingLevel = kInfo;
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
