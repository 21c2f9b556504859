#pragma once

#include "blfwk/Peripheral.h"
#include "blfwk/host_types.h"

#include <QObject>

#include <cstdint>
#include <string>

class MainWindow;
class StdoutLogger;

//! Entry of the bootloader host engine: one command line, exactly as the
//! console tool "rivuvo" receives it, run once. Everything it does is
//! reported through the process-wide logger; only the help, usage and
//! version texts are printed directly.
class RiVuvo : public QObject
{
    Q_OBJECT

public:
    //! The argument strings are borrowed and must outlive run().
    RiVuvo(int argc, char *argv[], MainWindow *mainWindow);

    //! Parses the options and runs the command they name. Returns 0 (done,
    //! including target error statuses, which are only logged), 1 (bad option
    //! or an error that ended the run) or 10004 (the target did not answer).
    int run();

    //! Progress callback of the data phase.
    static void displayProgress(int percentage, int segmentIndex, int segmentCount);

    int m_argc;
    char **m_argv;
    string_vector_t m_cmdv;
    std::string m_comPort;
    int32_t m_comSpeed;
    bool m_useBusPal;
    string_vector_t m_busPalConfig;
    bool m_useUsb;
    bool m_useUart;
    uint16_t m_usbVid;
    uint16_t m_usbPid;
    std::string m_usbPath;
    bool m_ping;
    uint32_t m_packetTimeoutMs;
    StdoutLogger *m_logger;

private:
    //! -1 when run() is to go on, otherwise the code run() returns at once.
    int processOptions();
    //! The connection record for the options given; raises the -b error
    //! when the bridge-board words are refused.
    blfwk::Peripheral::PeripheralConfigData connectionConfig() const;
};
