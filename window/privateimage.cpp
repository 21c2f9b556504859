#include "window/privateimage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

//! Empty when no other user can rename or replace what is in @a base: this
//! user's and writable by nobody else (or sticky), or root's and sticky.
//! Otherwise what is wrong with it.
QString baseProblem(const QString &base)
{
    struct stat info = {};
    if (!QDir::isAbsolutePath(base))
    {
        return QStringLiteral("not an absolute path");
    }
    // The engine reads "<file>,<count>", so a comma would cut the path.
    if (base.contains(QLatin1Char(',')))
    {
        return QStringLiteral("has a comma in its path");
    }
    if (::stat(QFile::encodeName(base).constData(), &info) != 0)
    {
        return errorText(errno);
    }
    if (!S_ISDIR(info.st_mode))
    {
        return errorText(ENOTDIR);
    }
    const bool sticky = info.st_mode & S_ISVTX;
    const bool othersWrite = info.st_mode & 022;
    if (info.st_uid == ::geteuid() ? (!othersWrite || sticky) : (info.st_uid == 0 && sticky))
    {
        return QString();
    }
    return QStringLiteral("owned by another user");
}

//! Where the run's directory may go, best first.
QStringList directoryBases()
{
    QStringList bases;
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty())
    {
        bases << QDir::cleanPath(runtime);
    }
    // As TMPDIR names it: Qt's temporary path is empty when it does not exist,
    // and the message must name the folder tried.
    const QString tmpdir = QString::fromLocal8Bit(qgetenv("TMPDIR"));
    const QString temp = tmpdir.isEmpty() ? QDir::tempPath() : QDir::cleanPath(tmpdir);
    if (!bases.contains(temp))
    {
        bases << temp;
    }
    return bases;
}

//! The directory behind @a fd is this user's and nobody else may enter it.
bool isPrivate(int fd)
{
    struct stat info = {};
    return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

} // namespace

PrivateImage::PrivateImage() = default;

PrivateImage::~PrivateImage()
{
    dropDirectory();
}

void PrivateImage::dropDirectory()
{
    if (m_dirFd < 0)
    {
        return;
    }
    ::unlinkat(m_dirFd, kFileName, 0);
    // Only the directory made here, even if another now stands at its name.
    struct stat held = {};
    struct stat named = {};
    const QByteArray name = QFile::encodeName(m_dir);
    if (::fstat(m_dirFd, &held) == 0 && ::lstat(name.constData(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
    {
        ::rmdir(name.constData());
    }
    ::close(m_dirFd);
    m_dirFd = -1;
    m_dir.clear();
}

bool PrivateImage::makeDirectoryIn(const QString &base)
{
    const QString problem = baseProblem(base);
    if (!problem.isEmpty())
    {
        m_problems << QStringLiteral("%1: %2").arg(base, problem);
        return false;
    }
    // A new directory of mode 0700, never an existing one.
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/kelvo-updater-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
    {
        m_problems << QStringLiteral("%1: %2").arg(base, errorText(errno));
        return false;
    }
    m_dirFd = ::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    m_dir = QFile::decodeName(pattern);
    if (m_dirFd < 0 || !isPrivate(m_dirFd))
    {
        m_problems << QStringLiteral("%1: %2").arg(base, errorText(m_dirFd < 0 ? errno : EPERM));
        if (m_dirFd < 0)
        {
            ::rmdir(pattern.constData());
        }
        dropDirectory();
        return false;
    }
    return true;
}

bool PrivateImage::writeImage(const QByteArray &image)
{
    // A new file only: whatever might stand at the name is never written through.
    const int fd = ::openat(m_dirFd, kFileName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        m_problems << QStringLiteral("%1: %2").arg(QFileInfo(m_dir).absolutePath(), errorText(errno));
        return false;
    }
    qint64 done = 0;
    errno = 0;
    while (done < image.size())
    {
        const ssize_t written = ::write(fd, image.constData() + done, static_cast<size_t>(image.size() - done));
        if (written <= 0)
        {
            break;
        }
        done += written;
    }
    const int error = done < image.size() ? (errno ? errno : ENOSPC) : (::fsync(fd) == 0 ? 0 : errno);
    ::close(fd);
    if (error != 0)
    {
        m_problems << QStringLiteral("%1: %2").arg(QFileInfo(m_dir).absolutePath(), errorText(error));
        return false;
    }
    return true;
}

bool PrivateImage::prepare(const QByteArray &image)
{
    m_problems.clear();
    if (image.isEmpty())
    {
        return false;
    }
    if (m_dirFd >= 0 && !isPrivate(m_dirFd))
    {
        dropDirectory();
    }
    remove();
    if (m_dirFd >= 0 && writeImage(image) && holds(image))
    {
        return true;
    }
    // The directory made earlier may be on a base that is full now: start
    // again on each base in turn.
    dropDirectory();
    m_problems.clear();
    for (const QString &base : directoryBases())
    {
        if (makeDirectoryIn(base))
        {
            if (writeImage(image) && holds(image))
            {
                m_problems.clear();
                return true;
            }
            dropDirectory();
        }
    }
    return false;
}

bool PrivateImage::holds(const QByteArray &image) const
{
    if (m_dirFd < 0 || !isPrivate(m_dirFd))
    {
        return false;
    }
    struct stat info = {};
    if (::fstatat(m_dirFd, kFileName, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0 || info.st_nlink != 1)
    {
        return false;
    }
    const int fd = ::openat(m_dirFd, kFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
    {
        return false;
    }
    QFile file;
    const bool same = file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) && file.size() == image.size() &&
                      file.readAll() == image;
    if (!file.isOpen())
    {
        ::close(fd);
    }
    return same;
}

void PrivateImage::remove()
{
    if (m_dirFd >= 0)
    {
        ::unlinkat(m_dirFd, kFileName, 0);
    }
}

QString PrivateImage::path() const
{
    return m_dirFd >= 0 ? m_dir + QLatin1Char('/') + QLatin1String(kFileName) : QString();
}

QString PrivateImage::enginePath() const
{
    return enginePathOf(QLatin1String(kFileName));
}

QString PrivateImage::enginePathOf(const QString &name) const
{
    if (m_dirFd < 0)
    {
        return QString();
    }
    // The engine runs in this process: the descriptor names the directory
    // made here whatever happens to the names above it.
    const QString held = QStringLiteral("/proc/self/fd/%1").arg(m_dirFd);
    const bool offered = ::access(QFile::encodeName(held).constData(), X_OK) == 0;
    return (offered ? held : m_dir) + QLatin1Char('/') + name;
}

QString PrivateImage::directory() const
{
    return m_dir;
}
