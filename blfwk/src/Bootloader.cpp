#include "blfwk/Bootloader.h"

#include "blfwk/Command.h"
#include "blfwk/Logging.h"
#include "blfwk/UsbHidPacketizer.h"
#include "blfwk/UsbHidPeripheral.h"
#include "blfwk/format_string.h"

#include <ctime>
#include <memory>
#include <stdexcept>

namespace blfwk {

namespace {
const char kFallbackLogFile[] = "bootloader.log";
}

Bootloader::Bootloader(const Peripheral::PeripheralConfigData &config)
    : m_hostPacketizer(nullptr)
    , m_logger(nullptr)
{
    // Without any logger the run would leave no trace; the file logger stays
    // installed for the rest of the process.
    if (!Log::getLogger())
    {
        m_logger = new FileLogger(kFallbackLogFile);
        m_logger->setFilterLevel(Logger::kDebug2);
        Log::setLogger(m_logger);
    }

    if (config.peripheralType != kHostPeripheralType_USB_HID)
    {
        throw std::runtime_error(
            format_string("Error: Unsupported peripheral type(%d).", static_cast<int>(config.peripheralType)));
    }

    std::unique_ptr<UsbHidPeripheral> peripheral(new UsbHidPeripheral(
        config.usbHidVid, config.usbHidPid, config.usbHidSerialNumber, config.usbPath));
    // The packetizer takes the peripheral only once it exists; until then a
    // failure leaves the peripheral to the unique_ptr.
    m_hostPacketizer = new UsbHidPacketizer(peripheral.get(), config.packetTimeoutMs);
    peripheral.release();
}

Bootloader::~Bootloader()
{
    flush();
    delete m_hostPacketizer;
}

void Bootloader::inject(Command &cmd)
{
    // The timing line is a debug text: the processor clock, a system call, is
    // read only when that text will be shown.
    const Logger *logger = Log::getLogger();
    const bool timed = logger && logger->getFilterLevel() >= Logger::kDebug;
    const clock_t start = timed ? std::clock() : 0;
    cmd.sendTo(*m_hostPacketizer);
    if (timed)
    {
        Log::debug("  - took %2.3f seconds\n", static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
}

void Bootloader::flush()
{
    if (m_hostPacketizer)
    {
        m_hostPacketizer->finalize();
    }
}

} // namespace blfwk
