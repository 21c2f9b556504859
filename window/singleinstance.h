#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

class QLockFile;

//! One window per user session: the first start holds a lock file and
//! listens on a local socket in the user's runtime directory; a later start
//! finds the lock taken, asks the running window to come forward through the
//! socket and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    //! How long a later start tries to reach the running window.
    static constexpr int kReachMs = 3000;

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    //! True when this process is to show the session's window; false when
    //! another process already does and was asked to come forward.
    bool claim();

    //! Where the lock file and the socket live: the runtime directory when it
    //! is this user's alone, else a name of this user's in the temporary
    //! directory.
    static QString basePath();

Q_SIGNALS:
    //! A later start asked this window to come forward.
    void raiseRequested();

private:
    bool takeLock();
    void onConnection();

    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
