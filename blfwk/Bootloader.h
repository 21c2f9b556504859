#pragma once

#include "blfwk/Packetizer.h"
#include "blfwk/Peripheral.h"

class FileLogger;

namespace blfwk {

class Command;

//! The connection to one target for one command run. Owns the packetizer,
//! which owns the peripheral: deleting the session closes the device.
class Bootloader
{
public:
    //! Opens the transport; throws std::runtime_error with an "Error: ..."
    //! text when the transport kind is refused or the device cannot be opened.
    //! With no logger installed at all, installs a file logger first.
    explicit Bootloader(const Peripheral::PeripheralConfigData &config);
    virtual ~Bootloader();

    Bootloader(const Bootloader &) = delete;
    Bootloader &operator=(const Bootloader &) = delete;

    //! Runs @a cmd through the packetizer and logs how long it took.
    void inject(Command &cmd);

    void flush();

    Packetizer *getPacketizer() const { return m_hostPacketizer; }

protected:
    Packetizer *m_hostPacketizer;
    FileLogger *m_logger; //!< installed by this session when none was; never deleted by it
};

} // namespace blfwk
