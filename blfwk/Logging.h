#pragma once

#include <QObject>
#include <QString>

#include <cstdarg>
#include <fstream>
#include <string>

class MainWindow;

//! Base of the engine's loggers: formats a message printf-style and passes it
//! on only when its level is within the filter. Formatting happens only for
//! messages that pass, so filtered traffic dumps cost one comparison.
class Logger : public QObject
{
    Q_OBJECT

public:
    //! A lower value is more important.
    enum log_level_t
    {
        kUrgent = 0,
        kJson = 1,
        kError = 2,
        kWarning = 3,
        kInfo = 4,
        kInfo1 = kInfo,
        kInfo2 = 5,
        kDebug = 6,
        kDebug1 = kDebug,
        kDebug2 = 7
    };

    Logger();
    ~Logger() override;

    void setFilterLevel(log_level_t level) { m_filter = level; }
    log_level_t getFilterLevel() const { return m_filter; }
    void setOutputLevel(log_level_t level) { m_level = level; }
    log_level_t getOutputLevel() const { return m_level; }

    //! Logs at the output level.
    virtual void log(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    //! Logs @a msg literally at the output level.
    virtual void log(const std::string &msg);
    virtual void log(log_level_t level, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
    //! Logs @a msg literally.
    virtual void log(log_level_t level, const std::string &msg);
    //! A finished text, passed on as it is when @a level passes the filter.
    virtual void logText(log_level_t level, const char *text);
    virtual void log(const char *fmt, va_list args) __attribute__((format(printf, 2, 0)));
    //! The one that does the work; every other overload forwards here.
    virtual void log(log_level_t level, const char *fmt, va_list args) __attribute__((format(printf, 3, 0)));

Q_SIGNALS:
    //! One finished message, exactly as formatted.
    void newLogMsg(QString msg);

protected:
    //! Output of one finished message.
    virtual void _log(const char *msg) = 0;

    log_level_t m_filter;
    log_level_t m_level;
};

//! Writes every message to a file, flushed after each one.
class FileLogger : public Logger
{
public:
    explicit FileLogger(const char *file_path);
    ~FileLogger() override;

protected:
    void _log(const char *msg) override;

    const std::string m_file_path;
    std::ofstream m_logFile;
};

//! Prints every message to standard output and emits it through newLogMsg,
//! which is how the updater window learns what a run did.
class StdoutLogger : public Logger
{
public:
    //! @a parent is the window that the caller connects to; it is not made
    //! the Qt parent, because the logger lives on the worker thread.
    explicit StdoutLogger(MainWindow *parent = nullptr);
    ~StdoutLogger() override;

protected:
    void _log(const char *msg) override;

    MainWindow *mainWindow;
};

//! Process-wide logging facade. With no logger installed every call is a
//! no-op. Installing a logger does not delete the previous one.
class Log
{
public:
    static Logger *getLogger() { return s_logger; }
    static void setLogger(Logger *logger) { s_logger = logger; }

    static void urgent(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    //! Passes only when the installed logger's filter is exactly kJson.
    static void json(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    //! Whether json() would pass, so that a record is built only when it is wanted.
    static bool isJsonWanted() { return s_logger && s_logger->getFilterLevel() == Logger::kJson; }
    static void error(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    static void warning(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    static void info(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    //! A finished text at info level, passed on as it is: for the texts sent
    //! once per data packet, which must cost no formatting.
    static void infoText(const char *text);
    static void info2(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    static void debug(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    static void debug2(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

protected:
    static Logger *s_logger;
};
