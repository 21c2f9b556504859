#include "rivuvo.h"

#include "driver/devicelock.h"
#include "driver/rivuvo_command.h"
#include "driver/rivuvo_connection.h"
#include "driver/rivuvo_help.h"

#include "blfwk/Bootloader.h"
#include "blfwk/BusPal.h"
#include "blfwk/Command.h"
#include "blfwk/Logging.h"
#include "blfwk/log_texts.h"
#include "blfwk/Progress.h"
#include "blfwk/options.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

using namespace blfwk;

namespace {

const char *const k_toolName = "rivuvo";
const char *const k_version = "2.6.7";
const char *const k_copyright =
    "Copyright (c) 2024-2026 the rivuvo engine authors.\n"
    "Distributed with the updater under the terms of its licence.\n"
    "There is no warranty; use at your own risk.";

//! Fills @a config from the -b words, or raises the option's error.
void parseBusPal(const string_vector_t &words, BusPalConfigData &config)
{
    if (!BusPal::parse(words, config))
    {
        throw std::runtime_error("Error: " + words[0] + " is not valid for option -b/--buspal.\n");
    }
}

} // namespace

RiVuvo::RiVuvo(int argc, char *argv[], MainWindow *mainWindow)
    : m_argc(argc)
    , m_argv(argv)
    , m_comPort("COM1")
    , m_comSpeed(57600)
    , m_useBusPal(false)
    , m_useUsb(false)
    , m_useUart(false)
    , m_usbVid(0x3b7c)
    , m_usbPid(0x5e03)
    , m_ping(true)
    , m_packetTimeoutMs(5000)
    , m_logger(nullptr)
{
    // The window is only the caller's bookkeeping; the driver never touches it.
    Q_UNUSED(mainWindow);
}

void RiVuvo::displayProgress(int percentage, int segmentIndex, int segmentCount)
{
    // One text per data packet, up to 8,192 in a write: the window shows each
    // percentage once on its side, and the text is formatted only when it changes.
    thread_local int shown[3] = { -1, -1, -1 };
    thread_local char text[blfwk::kProgressTextSize];
    if (percentage != shown[0] || segmentIndex != shown[1] || segmentCount != shown[2])
    {
        formatProgress(text, segmentIndex, segmentCount, percentage);
        shown[0] = percentage;
        shown[1] = segmentIndex;
        shown[2] = segmentCount;
    }
    Log::infoText(text);
    if (percentage > 99)
    {
        Log::info("%s", kLogProgressCompleted);
    }
}

int RiVuvo::processOptions()
{
    Options options(*m_argv, k_optionsDefinition);

    if (m_argc == 1)
    {
        printHelp(options);
        return 0;
    }

    --m_argc;
    ++m_argv;
    OptArgvIter iter(m_argc, m_argv);

    Logger *logger = m_logger ? static_cast<Logger *>(m_logger) : Log::getLogger();
    auto setFilter = [logger](Logger::log_level_t level) {
        if (logger)
        {
            logger->setFilterLevel(level);
        }
    };
    // An option error is reported, followed by the usage line, and ends the
    // run with 0 before any device is touched.
    auto refuse = [&options](const std::string &message) {
        Log::error("%s", message.c_str());
        printUsageLine(options);
        return 0;
    };

    const char *optarg = nullptr;
    int optchar;
    while ((optchar = options(iter, optarg)) != 0)
    {
        const std::string value = optarg ? optarg : "";
        switch (optchar)
        {
            case '?':
                printHelp(options);
                return 0;

            case 'v':
                std::printf("%s %s\n%s\n", k_toolName, k_version, k_copyright);
                std::fflush(stdout);
                return 0;

            case 'p':
            {
                if (m_useUsb)
                {
                    return refuse("Error: You cannot specify -p with -u and/or -l option(s).\n");
                }
                const std::string error = readPortArgument(value, m_comPort, m_comSpeed);
                if (!error.empty())
                {
                    return refuse(error);
                }
                m_useUart = true;
                break;
            }

            case 'i':
                return refuse("Error: -i/--i2c option is only supported by ARM Linux rivuvo\n");

            case 's':
                return refuse("Error: -s/--spi option is only supported by ARM Linux rivuvo\n");

            case 'l':
                return refuse("Error: -l/--usbsio option is not supported by current rivuvo\n");

            case 'b':
            {
                const std::string error = readBusPalArgument(value, m_busPalConfig);
                if (!error.empty())
                {
                    return refuse(error);
                }
                m_useBusPal = true;
                break;
            }

            case 'u':
            {
                if (m_useUart)
                {
                    return refuse("Error: You cannot specify -u with -p option.\n");
                }
                if (optarg)
                {
                    const std::string error = readUsbArgument(value, m_usbVid, m_usbPid, m_usbPath);
                    if (!error.empty())
                    {
                        return refuse(error);
                    }
                }
                m_useUsb = true;
                break;
            }

            case 'V':
                setFilter(Logger::kDebug);
                break;

            case 'd':
                setFilter(Logger::kDebug2);
                break;

            case 'j':
                setFilter(Logger::kJson);
                break;

            case 'n':
                m_ping = false;
                break;

            case 't':
            {
                const std::string error = readTimeoutArgument(value, m_packetTimeoutMs);
                if (!error.empty())
                {
                    return refuse(error);
                }
                break;
            }

            default:
                // The parser has already said what was wrong with the word.
                return 1;
        }
    }

    const int k = iter.index();
    if (k == m_argc)
    {
        if (m_useBusPal)
        {
            return -1;
        }
        printHelp(options);
        return 0;
    }

    for (int i = k; i < m_argc; ++i)
    {
        m_cmdv.push_back(m_argv[i]);
    }
    return -1;
}

Peripheral::PeripheralConfigData RiVuvo::connectionConfig() const
{
    Peripheral::PeripheralConfigData config;
    config.ping = m_ping;
    config.packetTimeoutMs = m_packetTimeoutMs;
    if (m_useUsb)
    {
        config.peripheralType = kHostPeripheralType_USB_HID;
        config.usbHidVid = m_usbVid;
        config.usbHidPid = m_usbPid;
        config.usbPath = m_usbPath;
    }
    else
    {
        // Without -u the target is reached over the serial port, through the
        // bridge board when one is configured.
        config.peripheralType = m_useBusPal ? kHostPeripheralType_BUSPAL_UART : kHostPeripheralType_UART;
        config.comPortName = m_comPort;
        config.comPortSpeed = m_comSpeed;
    }
    if (m_useBusPal)
    {
        parseBusPal(m_busPalConfig, config.busPalConfig);
    }
    return config;
}

int RiVuvo::run()
{
    int result = processOptions();
    if (result != -1)
    {
        return result;
    }
    result = 0;

    // Released in every case before returning; the session's destructor
    // closes the device.
    std::unique_ptr<Command> preConfigCommand;
    std::unique_ptr<Command> command;
    std::unique_ptr<Progress> progress;
    // One writer per controller: held from before the open until the session is gone.
    std::unique_ptr<vorn::DeviceLock> deviceLock;
    std::unique_ptr<Bootloader> bootloader;

    try
    {
        if (!m_cmdv.empty())
        {
            command = createCommand(m_cmdv);
            checkImageFile(m_cmdv);
            progress.reset(new Progress(&RiVuvo::displayProgress, nullptr));
            progress->m_segmentIndex = 1;
            progress->m_segmentCount = 1;
            command->registerProgress(progress.get());
        }

        const Peripheral::PeripheralConfigData config = connectionConfig();
        if (m_useUsb && m_useBusPal)
        {
            preConfigCommand = createCommand(m_busPalConfig);
        }

        if (m_useUsb)
        {
            deviceLock = reserveUsbDevice(m_usbVid, m_usbPid, m_usbPath);
        }
        bootloader.reset(new Bootloader(config));

        if (preConfigCommand)
        {
            result = injectAndReport(*bootloader, *preConfigCommand, "Inject pre-config command '%s'\n", result);
        }
        if (command)
        {
            result = injectAndReport(*bootloader, *command, "Inject command '%s'\n", result);
        }
    }
    catch (const std::exception &e)
    {
        Log::error("%s", e.what());
        result = 1;
    }

    preConfigCommand.reset();
    command.reset();
    bootloader.reset();
    deviceLock.reset();
    progress.reset();
    return result;
}
