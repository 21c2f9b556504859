#pragma once

#include <memory>
#include <string>

namespace vorn {

//! One writer per controller. Every program that sends commands to a
//! controller holds this lock while it uses it, so that two of them never
//! interleave their commands (an erase of one inside the write of the other
//! leaves a broken flash behind two success statuses).
//!
//! The lock is an flock on a file in a directory that every user shares
//! safely (/run/lock, else /tmp: owned by root and sticky), named after the
//! device: after the node's device and inode numbers when the path names a
//! file (a hidraw node, the node a umockdev testbed emulates, a bridge's
//! socket), else after the path's text. flock works between processes of any
//! users and goes with the process that holds it, however it ends. Within one
//! process the lock is re-entrant: a second tryLock of the same device
//! succeeds while the first is held, and the file is released with the last.
//! VORN_LOCK_DIR names another directory (the tests give each test program
//! its own); programs given different directories do not see each other's
//! locks.
class DeviceLock
{
public:
    //! Takes the lock of the device at @a devicePath (the path hidapi
    //! enumerates and opens) without waiting. Null when another program holds
    //! it or it cannot be taken; @a reason (if given) then says which, as a
    //! sentence the caller can show.
    static std::unique_ptr<DeviceLock> tryLock(const std::string &devicePath, std::string *reason = nullptr);
    //! Releases it.
    ~DeviceLock();
    DeviceLock(const DeviceLock &) = delete;
    DeviceLock &operator=(const DeviceLock &) = delete;

    const std::string &devicePath() const;

private:
    DeviceLock(std::string devicePath, std::string key);

    std::string m_devicePath;
    std::string m_key;
};

//! The path hidapi enumerates for the first device of @a vid : @a pid (the
//! device that hid_open opens), empty when none is listed.
std::string enumeratedDevicePath(unsigned short vid, unsigned short pid);

//! The start of the reason tryLock gives when another program holds the lock.
constexpr char kDeviceBusyReason[] = "Another program is using the controller";

} // namespace vorn
