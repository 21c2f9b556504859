#include "window/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kRaise[] = "raise\n";

bool isPrivateDirectory(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::basePath()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && isPrivateDirectory(runtime))
    {
        return runtime + QStringLiteral("/kelvo-updater");
    }
    return QDir::tempPath() + QStringLiteral("/kelvo-updater-%1").arg(::geteuid());
}

bool SingleInstance::takeLock()
{
    auto lock = std::make_unique<QLockFile>(basePath() + QStringLiteral(".lock"));
    // Only a holder that is gone makes the lock stale, however long a window runs.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
    {
        return false;
    }
    m_lock = std::move(lock);
    const QString name = basePath() + QStringLiteral(".socket");
    // A socket left by a window that was killed; no window listens on it.
    QLocalServer::removeServer(name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(name))
    {
        qWarning("Cannot listen on %s: %s", qUtf8Printable(name), qUtf8Printable(m_server.errorString()));
    }
    return true;
}

bool SingleInstance::claim()
{
    const QDeadlineTimer deadline(kReachMs);
    while (!deadline.hasExpired())
    {
        if (takeLock())
        {
            return true;
        }
        // The running window may still be starting: its socket comes right
        // after its lock.
        QLocalSocket socket;
        socket.connectToServer(basePath() + QStringLiteral(".socket"));
        if (socket.waitForConnected(500))
        {
            socket.write(kRaise);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return false;
        }
        QThread::msleep(100);
    }
    // A lock that nobody answers for (the name taken by someone else): a
    // window is better than none, and the device lock still keeps two
    // updates apart.
    qWarning("Another updater window seems to run but does not answer; starting anyway");
    return true;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection())
    {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            if (socket->readAll().contains('\n'))
            {
                Q_EMIT raiseRequested();
            }
        });
    }
}
