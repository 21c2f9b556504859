#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QTemporaryDir;

//! The copy of the firmware image that the engine writes. It lives in a
//! directory made for this run that only this user can enter (mode 0700, in
//! the runtime directory when that is usable, else in the temporary
//! directory), so no other user's process can put another file in its place;
//! the directory and everything in it go when the object goes.
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
    //! on first use.
    bool prepare(const QByteArray &image);
    //! True when the file is still a regular file holding exactly @a image.
    bool holds(const QByteArray &image) const;
    //! Removes the file; the directory stays for the next update.
    void remove();

    //! Path of the file; empty until a directory has been made.
    QString path() const;
    QString directory() const;

private:
    bool makeDirectory();

    std::unique_ptr<QTemporaryDir> m_dir;
};
