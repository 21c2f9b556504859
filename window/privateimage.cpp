#include "window/privateimage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

//! A directory that this user owns and that nobody else may enter.
bool isPrivateDirectory(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

//! Where the run's directory may go, best first. The engine reads
//! "<file>,<count>", so a base with a comma would cut the path it is given.
QStringList directoryBases()
{
    QStringList bases;
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && isPrivateDirectory(runtime))
    {
        bases << runtime;
    }
    // Empty when the temporary directory does not exist.
    bases << QDir::tempPath();
    QStringList usable;
    for (const QString &base : bases)
    {
        if (QDir::isAbsolutePath(base) && !base.contains(QLatin1Char(',')))
        {
            usable << base;
        }
    }
    return usable;
}

bool isRegularFile(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

PrivateImage::PrivateImage() = default;

PrivateImage::~PrivateImage() = default;

bool PrivateImage::makeDirectory()
{
    if (m_dir && QDir(m_dir->path()).exists())
    {
        return true;
    }
    m_dir.reset();
    for (const QString &base : directoryBases())
    {
        // mkdtemp underneath: a new directory of mode 0700, never an existing one.
        auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/kelvo-updater-XXXXXX"));
        if (dir->isValid() && isPrivateDirectory(dir->path()))
        {
            m_dir = std::move(dir);
            return true;
        }
    }
    return false;
}

bool PrivateImage::prepare(const QByteArray &image)
{
    if (image.isEmpty() || !makeDirectory())
    {
        return false;
    }
    remove();
    QFile file(path());
    // A new file only: whatever might stand at the name is never written through.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    {
        return false;
    }
    const bool written =
        file.write(image) == image.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written || !holds(image))
    {
        remove();
        return false;
    }
    return true;
}

bool PrivateImage::holds(const QByteArray &image) const
{
    const QString name = path();
    if (name.isEmpty() || !isRegularFile(name))
    {
        return false;
    }
    QFile file(name);
    return file.open(QIODevice::ReadOnly) && file.readAll() == image;
}

void PrivateImage::remove()
{
    if (m_dir)
    {
        QFile::remove(path());
    }
}

QString PrivateImage::path() const
{
    return m_dir ? m_dir->filePath(QLatin1String(kFileName)) : QString();
}

QString PrivateImage::directory() const
{
    return m_dir ? m_dir->path() : QString();
}
