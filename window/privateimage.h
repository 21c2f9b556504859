#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

//! The copy of the firmware image that the engine writes. It lives in a
//! directory made for this run that only this user can enter (mode 0700), in
//! the runtime directory or else the temporary directory, each only when no
//! other user controls it (owned by this user and writable by nobody else,
//! or owned by root with the sticky bit). The directory is held open from
//! its creation, and the engine is given a path through that descriptor, so
//! renaming any directory above the copy changes nothing about what is
//! written. The directory and everything in it go when the object goes.
class PrivateImage
{
public:
    static constexpr const char *kFileName = "updatefile.bin";

    PrivateImage();
    ~PrivateImage();
    PrivateImage(const PrivateImage &) = delete;
    PrivateImage &operator=(const PrivateImage &) = delete;

    //! Writes @a image as a new file, flushes it to the disk and reads it back;
    //! true only when the file holds exactly @a image. The directory is made
    //! on first use; a base that is full or unusable gives way to the next.
    bool prepare(const QByteArray &image);
    //! True when the directory is still this user's alone and the file in it
    //! is still a regular file of this user's holding exactly @a image.
    bool holds(const QByteArray &image) const;
    //! Removes the file; the directory stays for the next update.
    void remove();

    //! Path of the file; empty until a directory has been made.
    QString path() const;
    //! The path the engine opens: through the directory's descriptor when the
    //! system offers one, else path().
    QString enginePath() const;
    //! The same for another file @a name in the directory (one the engine
    //! writes, such as a read-back).
    QString enginePathOf(const QString &name) const;
    QString directory() const;
    //! Each base tried by the last prepare() that failed, with what was
    //! wrong there ("/run/user/1000: No space left on device").
    QStringList problems() const { return m_problems; }

private:
    bool makeDirectoryIn(const QString &base);
    bool writeImage(const QByteArray &image);
    void dropDirectory();

    int m_dirFd = -1;
    QString m_dir;
    QStringList m_problems;
};
