#include "blfwk/UsbHidPeripheral.h"

#include "blfwk/Logging.h"
#include "blfwk/format_string.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>
#include <vector>

namespace blfwk {

const char kUsbHidOpenFailure[] = "Error: UsbHidPeripheral() cannot open USB HID device ";

namespace {

const char kHidInterfaceClassId[] = "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const size_t kWindowsPrefixLength = 4;

bool hasWindowsPrefix(const std::string &path)
{
    return path.compare(0, kWindowsPrefixLength, "\\\\.\\") == 0 ||
           path.compare(0, kWindowsPrefixLength, "\\\\?\\") == 0;
}

bool trafficDumpEnabled()
{
    Logger *logger = Log::getLogger();
    return logger && logger->getFilterLevel() == Logger::kDebug2;
}

//! One log call per piece, so that a receiver sees the dump as it is built.
void dumpBytes(const char *open, const uint8_t *bytes, int count, const char *close)
{
    Log::debug2("%s", open);
    for (int i = 0; i < count; ++i)
    {
        if (i > 0)
        {
            Log::debug2(" ");
        }
        Log::debug2("%02x", bytes[i]);
    }
    Log::debug2("%s", close);
}

//! The library's wide error text as a narrow string. A text that the current
//! locale cannot convert keeps its ASCII characters and shows '?' for others.
std::string narrowText(const wchar_t *text)
{
    size_t needed = std::wcstombs(nullptr, text, 0);
    if (needed != static_cast<size_t>(-1))
    {
        std::vector<char> buffer(needed + 1, '\0');
        std::wcstombs(buffer.data(), text, buffer.size());
        return std::string(buffer.data(), needed);
    }
    std::string result;
    for (const wchar_t *c = text; *c; ++c)
    {
        result += (*c >= 0 && *c < 0x80) ? static_cast<char>(*c) : '?';
    }
    return result;
}

} // namespace

UsbHidPeripheral::UsbHidPeripheral(uint16_t vendor_id, uint16_t product_id, const std::string &serial_number,
                                   const std::string &path)
    : m_vendor_id(vendor_id)
    , m_product_id(product_id)
    , m_path(path)
    , m_device(nullptr)
{
    for (char c : serial_number)
    {
        m_serial_number += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }

    if (!init())
    {
        // Built by concatenation: a long path or serial number must not
        // lose the message.
        if (!m_path.empty())
        {
            throw std::runtime_error(std::string(kUsbHidOpenFailure) + "(path=" + m_path + ").");
        }
        throw std::runtime_error(std::string(kUsbHidOpenFailure) +
                                 format_string("(vid=0x%04x, pid=0x%04x, sn=", vendor_id, product_id) +
                                 serial_number + ").");
    }
}

UsbHidPeripheral::~UsbHidPeripheral()
{
    if (m_device)
    {
        hid_close(m_device);
        hid_exit();
    }
}

bool UsbHidPeripheral::init()
{
    if (m_path.empty())
    {
        // hidapi matches an empty serial number literally; "any device" is
        // asked for with no serial at all.
        m_device = hid_open(m_vendor_id, m_product_id, m_serial_number.empty() ? nullptr : m_serial_number.c_str());
    }
    else
    {
        m_device = hid_open_path(devicePath(m_path).c_str());
    }
    return m_device != nullptr;
}

std::string UsbHidPeripheral::windowsInterfacePath(const std::string &path)
{
    std::string result = path;
    if (!hasWindowsPrefix(result))
    {
        result.insert(0, "\\\\.\\");
    }
    for (size_t i = kWindowsPrefixLength; i < result.size(); ++i)
    {
        if (result[i] == '\\')
        {
            result[i] = '#';
        }
    }
    const std::string classId = kHidInterfaceClassId;
    size_t at = result.find(classId);
    if (at == std::string::npos || at + classId.size() != result.size())
    {
        result += classId;
    }
    return result;
}

std::string UsbHidPeripheral::devicePath(const std::string &path)
{
    if (hasWindowsPrefix(path) || path.find('\\') != std::string::npos)
    {
        return windowsInterfacePath(path);
    }
    return path;
}

status_t UsbHidPeripheral::read(uint8_t *buffer, uint32_t requestedBytes, uint32_t *actualBytes, uint32_t timeout)
{
    // hidapi takes a signed time-out where a negative one blocks for ever.
    int milliseconds = timeout > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(timeout);
    int count = hid_read_timeout(m_device, buffer, requestedBytes, milliseconds);

    if (actualBytes)
    {
        *actualBytes = static_cast<uint32_t>(count);
    }

    if (trafficDumpEnabled())
    {
        dumpBytes("<", buffer, count, ">\n");
    }

    if (count >= 4)
    {
        return kStatus_Success;
    }
    if (count < 0)
    {
        return kStatus_Fail;
    }
    return kStatus_Timeout;
}

status_t UsbHidPeripheral::write(const uint8_t *, uint32_t)
{
    return kStatus_Success;
}

status_t UsbHidPeripheral::write(const uint8_t *buffer, uint32_t byteCount, uint32_t timeoutMS)
{
    (void)timeoutMS;

    if (trafficDumpEnabled())
    {
        dumpBytes("[", buffer, static_cast<int>(byteCount), "]\n");
    }

    if (hid_write(m_device, buffer, byteCount) >= 0)
    {
        return kStatus_Success;
    }

    const wchar_t *error = hid_error(m_device);
    if (error)
    {
        Log::error("%s", narrowText(error).c_str());
    }
    return kStatus_Fail;
}

} // namespace blfwk
