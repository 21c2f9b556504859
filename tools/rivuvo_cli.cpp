#include "rivuvo.h"

#include "blfwk/Logging.h"
#include "blfwk/UsbHidPeripheral.h"
#include "blfwk/UsbHidPresence.h"

#include <cstdio>
#include <cstring>

namespace {

const char kAccessHint[] =
    "rivuvo: the controller is plugged in, but this user may not open it. Install the udev rule "
    "60-kelvo-updater.rules (it comes with the kelvo-updater package, or with 'cmake --install'), "
    "then unplug the controller and plug it in again. Run as root only as a last resort.\n";

//! Prints like StdoutLogger and remembers what the console needs at the end:
//! whether the device could not be opened, and whether the line was ended.
class ConsoleLogger : public StdoutLogger
{
public:
    bool openFailed = false;
    bool lineOpen = false;

protected:
    void _log(const char *msg) override
    {
        StdoutLogger::_log(msg);
        if (msg && *msg)
        {
            openFailed = openFailed || std::strstr(msg, blfwk::kUsbHidOpenFailure) != nullptr;
            lineOpen = msg[std::strlen(msg) - 1] != '\n';
        }
    }
};

//! True when the run failed to open a device that is plugged in: then the
//! refusal is about access, not about a missing controller.
bool accessRefused(const RiVuvo &rivuvo, const ConsoleLogger &logger, int result)
{
    return result == 1 && logger.openFailed && rivuvo.m_useUsb && rivuvo.m_usbPath.empty() &&
           blfwk::isUsbHidDevicePresent(rivuvo.m_usbVid, rivuvo.m_usbPid);
}

} // namespace

//! The console tool: one engine run over the process's own arguments, its
//! log printed to standard output at the info level.
int main(int argc, char *argv[])
{
    ConsoleLogger logger;
    logger.setFilterLevel(Logger::kInfo);
    Log::setLogger(&logger);

    RiVuvo rivuvo(argc, argv, nullptr);
    rivuvo.m_logger = &logger;
    int result = rivuvo.run();

    Log::setLogger(nullptr);
    // Some engine texts (the open failure among them) end without a line
    // feed; a shell prompt must not follow them on the same line.
    if (logger.lineOpen)
    {
        std::fputs("\n", stdout);
        std::fflush(stdout);
    }
    if (accessRefused(rivuvo, logger, result))
    {
        std::fputs(kAccessHint, stderr);
    }
    return result;
}
