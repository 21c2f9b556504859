#pragma once

#include <QString>
#include <QStringList>

//! The console updater's command line.
struct ConsoleOptions
{
    bool list = false;
    bool all = false;
    QString device;
    bool yes = false;
    bool allowOlder = false;
    QString image;
    bool verify = false;
    bool json = false;
};

struct ParsedOptions
{
    enum class Next
    {
        Run,
        Help,    //!< print @a text to standard output, exit 0
        Version, //!< likewise
        Usage,   //!< print @a text to standard error, exit 2
    };
    Next next = Next::Run;
    ConsoleOptions options;
    QString text;
};

//! Reads @a arguments (program name first, "--cli" among them).
ParsedOptions parseConsoleOptions(const QStringList &arguments);

//! The options again as they are handed to the run of one controller of
//! --all, with @a device named.
QStringList forwardedArguments(const ConsoleOptions &options, const QString &device);
