#include "driver/devicelock.h"

#include <hidapi.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn {

namespace {

//! A directory where any user may create a file and nobody may remove or
//! replace another user's: owned by root, writable by all, sticky.
bool isSharedDirectory(const std::string &path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == 0 &&
           (info.st_mode & S_ISVTX) && (info.st_mode & 0777) == 0777;
}

//! Where the lock files go, or empty (with @a problem said) when no
//! directory is usable.
std::string lockDirectory(std::string &problem)
{
    if (const char *chosen = std::getenv("VORN_LOCK_DIR"); chosen && *chosen)
    {
        struct stat info = {};
        const std::string dir = chosen;
        if (dir[0] == '/' && ::lstat(chosen, &info) == 0 && S_ISDIR(info.st_mode) &&
            (info.st_uid == ::geteuid() || isSharedDirectory(dir)))
        {
            return dir;
        }
        problem = "VORN_LOCK_DIR=" + dir + " is not a folder of this user";
        return {};
    }
    for (const char *dir : { "/run/lock", "/tmp" })
    {
        if (isSharedDirectory(dir))
        {
            return dir;
        }
    }
    problem = "neither /run/lock nor /tmp is a folder owned by root with the sticky bit";
    return {};
}

//! The name of a device's lock: one device however its path is spelled,
//! when the path names a file; the text of the path otherwise (the path
//! stands for no file, as with a device that lives in the process).
std::string lockKey(const std::string &devicePath)
{
    struct stat info = {};
    char key[64];
    if (::stat(devicePath.c_str(), &info) == 0)
    {
        std::snprintf(key, sizeof key, "node-%" PRIxMAX "-%" PRIxMAX, static_cast<uintmax_t>(info.st_dev),
                      static_cast<uintmax_t>(info.st_ino));
        return key;
    }
    // FNV-1a: stable across builds, unlike std::hash.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : devicePath)
    {
        hash = (hash ^ c) * 0x100000001b3ull;
    }
    std::snprintf(key, sizeof key, "path-%016" PRIx64, hash);
    return key;
}

struct Held
{
    int fd = -1;
    int count = 0;
    std::string file;
};

std::mutex g_mutex;
//! The locks this process holds, by key; a second take only counts.
std::map<std::string, Held> g_held;

enum class Take { Taken, Busy, Failed };

//! Opens the lock file without following a link or blocking on a planted
//! fifo, creating it (readable by all, so that other users can lock it too)
//! when it is not there. Without O_CREAT on an existing file, because the
//! kernel refuses O_CREAT on another user's file in a sticky directory.
int openLockFile(const std::string &file)
{
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    for (;;)
    {
        const int fd = ::open(file.c_str(), flags);
        if (fd >= 0 || errno != ENOENT)
        {
            return fd;
        }
        const int created = ::open(file.c_str(), flags | O_CREAT | O_EXCL, 0644);
        if (created >= 0)
        {
            ::fchmod(created, 0644);
            return created;
        }
        if (errno != EEXIST)
        {
            return -1;
        }
    }
}

Take takeFile(const std::string &file, int &heldFd, std::string &problem)
{
    // A holder that ends removes the file; one that was opened before that
    // and locked after it is retried on the new file.
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        const int fd = openLockFile(file);
        struct stat opened = {};
        if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        {
            problem = file + ": " + (fd < 0 ? std::strerror(errno) : "not a regular file");
            if (fd >= 0)
            {
                ::close(fd);
            }
            return Take::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
            {
                return Take::Busy;
            }
            problem = file + ": " + std::strerror(error);
            return Take::Failed;
        }
        struct stat named = {};
        if (::lstat(file.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        {
            heldFd = fd;
            return Take::Taken;
        }
        ::close(fd);
    }
    problem = file + ": replaced again and again";
    return Take::Failed;
}

} // namespace

std::unique_ptr<DeviceLock> DeviceLock::tryLock(const std::string &devicePath, std::string *reason)
{
    const std::string key = lockKey(devicePath);
    std::lock_guard<std::mutex> guard(g_mutex);
    auto found = g_held.find(key);
    if (found != g_held.end())
    {
        ++found->second.count;
        return std::unique_ptr<DeviceLock>(new DeviceLock(devicePath, key));
    }

    std::string problem;
    const std::string dir = lockDirectory(problem);
    int fd = -1;
    const std::string file = dir + "/kelvo-device-" + key + ".lock";
    const Take take = dir.empty() ? Take::Failed : takeFile(file, fd, problem);
    if (take == Take::Taken)
    {
        g_held[key] = Held{ fd, 1, file };
        return std::unique_ptr<DeviceLock>(new DeviceLock(devicePath, key));
    }
    if (reason)
    {
        *reason = take == Take::Busy
                      ? std::string(kDeviceBusyReason) + " at " + devicePath +
                            ": let it finish, or close it, then try again."
                      : "The controller at " + devicePath + " could not be reserved for this program (" + problem +
                            "). Make sure /run/lock or /tmp is a folder owned by root with the sticky bit, then "
                            "try again.";
    }
    return nullptr;
}

DeviceLock::DeviceLock(std::string devicePath, std::string key)
    : m_devicePath(std::move(devicePath))
    , m_key(std::move(key))
{
}

DeviceLock::~DeviceLock()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    auto found = g_held.find(m_key);
    if (found == g_held.end() || --found->second.count > 0)
    {
        return;
    }
    // Removed while still locked, so that nobody locks a file that is about
    // to go; in a sticky directory only its creator may, and another user's
    // file simply stays for the next run.
    ::unlink(found->second.file.c_str());
    ::close(found->second.fd);
    g_held.erase(found);
}

const std::string &DeviceLock::devicePath() const
{
    return m_devicePath;
}

std::string enumeratedDevicePath(unsigned short vid, unsigned short pid)
{
    // A zero ID would widen the filter to any device.
    if (vid == 0 || pid == 0)
    {
        return {};
    }
    hid_device_info *devices = hid_enumerate(vid, pid);
    std::string path = devices && devices->path ? devices->path : "";
    hid_free_enumeration(devices);
    return path;
}

} // namespace vorn
