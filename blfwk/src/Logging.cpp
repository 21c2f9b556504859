#include "blfwk/Logging.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

Logger *Log::s_logger = nullptr;

Logger::Logger()
    : m_filter(kInfo)
    , m_level(kInfo)
{
}

Logger::~Logger() = default;

void Logger::log(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    log(m_level, fmt, args);
    va_end(args);
}

void Logger::log(const std::string &msg)
{
    log(m_level, msg);
}

void Logger::log(log_level_t level, const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    log(level, fmt, args);
    va_end(args);
}

void Logger::log(log_level_t level, const std::string &msg)
{
    // The text is not used as a format: an exception message may well hold a
    // '%' (a path, a percentage) and must arrive as it is.
    logText(level, msg.c_str());
}

void Logger::logText(log_level_t level, const char *text)
{
    if (level <= m_filter)
    {
        _log(text);
    }
}

void Logger::log(const char *fmt, va_list args)
{
    log(m_level, fmt, args);
}

void Logger::log(log_level_t level, const char *fmt, va_list args)
{
    if (level > m_filter)
    {
        return;
    }

    // Most texts are short: formatted once into the stack; only a longer one
    // is formatted again into a buffer of its size.
    char shortText[256];
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(shortText, sizeof(shortText), fmt, args);
    if (length >= 0 && static_cast<size_t>(length) < sizeof(shortText))
    {
        _log(shortText);
    }
    else if (length >= 0)
    {
        if (char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1)))
        {
            std::vsnprintf(buffer, static_cast<size_t>(length) + 1, fmt, again);
            _log(buffer);
            std::free(buffer);
        }
    }
    va_end(again);
}

FileLogger::FileLogger(const char *file_path)
    : m_file_path(file_path)
    , m_logFile(file_path, std::ios_base::out | std::ios_base::trunc)
{
}

FileLogger::~FileLogger()
{
    m_logFile.close();
}

void FileLogger::_log(const char *msg)
{
    if (msg)
    {
        m_logFile << msg;
    }
    else
    {
        m_logFile.setstate(std::ios_base::badbit);
    }
    m_logFile.flush();
}

StdoutLogger::StdoutLogger(MainWindow *parent)
    : mainWindow(parent)
{
}

StdoutLogger::~StdoutLogger() = default;

void StdoutLogger::_log(const char *msg)
{
    std::printf("%s", msg ? msg : "");
    // Flushed per message so that a progress line redraws while it happens
    // and stays in order with the help texts, also when output is a pipe.
    std::fflush(stdout);
    Q_EMIT newLogMsg(msg ? QString::fromUtf8(msg, static_cast<int>(std::strlen(msg))) : QString());
}

namespace {

void forward(Logger::log_level_t level, const char *fmt, va_list args) __attribute__((format(printf, 2, 0)));

void forward(Logger::log_level_t level, const char *fmt, va_list args)
{
    if (Logger *logger = Log::getLogger())
    {
        logger->log(level, fmt, args);
    }
}

} // namespace

#define VORN_LOG_FORWARD(level)   \
    va_list args;                 \
    va_start(args, fmt);          \
    forward(level, fmt, args);    \
    va_end(args)

void Log::urgent(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kUrgent);
}

void Log::json(const char *fmt, ...)
{
    // JSON records are meant for automation only: they appear under the json
    // filter and nowhere else, although their level is below kInfo.
    if (!isJsonWanted())
    {
        return;
    }
    VORN_LOG_FORWARD(Logger::kJson);
}

void Log::error(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kError);
}

void Log::warning(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kWarning);
}

void Log::info(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kInfo);
}

void Log::infoText(const char *text)
{
    if (s_logger)
    {
        s_logger->logText(Logger::kInfo, text);
    }
}

void Log::info2(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kInfo2);
}

void Log::debug(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kDebug);
}

void Log::debug2(const char *fmt, ...)
{
    VORN_LOG_FORWARD(Logger::kDebug2);
}
