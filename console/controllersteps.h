#pragma once

#include <QString>

#include <functional>

//! The engine's steps on one controller, named by its device path, each
//! judged from the texts of its run as the window judges them.
class ControllerSteps
{
public:
    using TextHook = std::function<void(const QString &text)>;

    explicit ControllerSteps(const QString &devicePath);

    //! Every text of every step of this controller passes here first.
    void setTextHook(TextHook hook);

    struct VersionRead
    {
        bool ok = false;
        QString version;
    };
    VersionRead readVersion();
    bool erase();
    //! @a onPercent gets each new percentage.
    bool write(const QString &imagePath, const std::function<void(int)> &onPercent);
    //! Reads @a byteCount bytes from address 0 into @a filePath.
    bool readBack(const QString &filePath, int byteCount);
    //! True when the controller confirmed the reset.
    bool reset();

private:
    int run(std::initializer_list<QString> command, const std::function<void(const QString &)> &read);

    QString m_path;
    TextHook m_hook;
};
