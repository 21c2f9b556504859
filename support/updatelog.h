#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

//! What a user sends to support after an update: one file per update and per
//! controller, from the version read that led to it to its last text, each
//! line time-stamped. Files live in $XDG_STATE_HOME/kelvo-updater (by default
//! ~/.local/state/kelvo-updater), readable by this user only; the newest
//! kKeptLogs are kept. A log that cannot be written never stops an update:
//! the caller goes on and simply has no file to name.
class UpdateLog
{
public:
    static constexpr int kKeptLogs = 20;

    struct Versions
    {
        QString updater;          //!< the program that updates
        QString controller;       //!< firmware found in the controller
        QString offered;          //!< firmware the update writes
    };

    //! The folder the logs go to, from the environment as it is now.
    static QString defaultDirectory();

    UpdateLog() = default;
    ~UpdateLog();
    UpdateLog(const UpdateLog &) = delete;
    UpdateLog &operator=(const UpdateLog &) = delete;

    //! Ends any open log and starts a new file for @a controller (a short
    //! name the file name carries, such as "black" or "hidraw3"), headed by
    //! @a versions. False when
    //! no file could be made (error() says why).
    bool start(const QString &controller, const Versions &versions, const QString &directory = defaultDirectory());
    //! One text of the engine, exactly as it went to standard output: lines
    //! are time-stamped as they end, and carriage-return progress texts become
    //! one line per changed percentage.
    void record(const QString &engineText);
    //! The same for a text logged at @a when, kept until the log started.
    void record(const QString &engineText, const QDateTime &when);
    //! A line of the program's own, such as a message shown to the user.
    void note(const QString &line);
    //! Ends the file, then removes the oldest logs beyond kKeptLogs; path()
    //! and text() stay until the next start.
    void finish();

    bool isOpen() const { return file.isOpen(); }
    //! The file of the last update; empty when none could be made.
    QString path() const { return filePath; }
    //! Everything written to that file.
    QString text() const { return written; }
    QString error() const { return lastError; }

private:
    bool openNewFile(const QString &stem);
    //! An invalid @a when stands for now.
    void writeLine(const QString &line, const QDateTime &when = QDateTime());
    void endPendingLine();
    void progressText(const QString &text);
    void removeOldLogs(const QString &directory) const;

    QFile file;
    QString filePath;
    QString written;
    QString lastError;
    //! Text of a line whose end has not arrived yet.
    QString pending;
    int lastPercent = -1;
    //! When the text that the pending line and progress texts came in was
    //! logged; invalid for now, so that the clock is read only for a line written.
    QDateTime textTime;
};
