#include "driver/rivuvo_connection.h"

#include "blfwk/host_types.h"
#include "blfwk/log_texts.h"
#include "blfwk/utils.h"
#include "driver/devicelock.h"

#include <climits>
#include <cstdlib>
#include <stdexcept>

std::string readPortArgument(const std::string &value, std::string &port, int32_t &speed)
{
    if (value.empty() || (value[0] != 'c' && value[0] != 'C'))
    {
        return "Error: You must specify the COM port identifier string with the -p/--port option.\n";
    }
    string_vector_t parts = utils::string_split(value, ',');
    port = parts[0];
    if (parts.size() == 2)
    {
        speed = std::atoi(parts[1].c_str());
        if (speed < 1)
        {
            return "Error: You must specify a valid baud rate with the -p/--port option.\n";
        }
    }
    return std::string();
}

std::string readUsbArgument(const std::string &value, uint16_t &vid, uint16_t &pid, std::string &path)
{
    string_vector_t parts = utils::string_split(value, ',');
    // The split drops a trailing empty part, which is still a part the user wrote.
    if (!value.empty() && value.back() == ',')
    {
        parts.emplace_back();
    }
    if (parts.size() > 2)
    {
        return "Error: " + value + " is not valid for option -u.\n";
    }
    std::string givenPath;
    if (parts.size() == 1)
    {
        uint32_t number = 0;
        if (utils::stringtoui(parts[0], number) && number < 0x10000)
        {
            pid = static_cast<uint16_t>(number);
        }
        else
        {
            givenPath = parts[0];
        }
    }
    else if (parts.size() == 2)
    {
        uint32_t newVid = 0;
        uint32_t newPid = 0;
        if (!utils::stringtoui(parts[0], newVid) || newVid > 0xffff)
        {
            return "Error: " + parts[0] + " is not valid vid for option -u.\n";
        }
        if (!utils::stringtoui(parts[1], newPid) || newPid > 0xffff)
        {
            return "Error: " + parts[1] + " is not valid pid for option -u.\n";
        }
        vid = static_cast<uint16_t>(newVid);
        pid = static_cast<uint16_t>(newPid);
    }
    path = givenPath;
    return std::string();
}

std::string readTimeoutArgument(const std::string &value, uint32_t &timeoutMs)
{
    uint32_t timeout = 0;
    // hidapi takes the time-out as an int: a larger value would turn negative
    // there and wait for ever.
    if (!utils::stringtoui(value, timeout) || timeout > static_cast<uint32_t>(INT_MAX))
    {
        return "Error: " + value + " is not valid for option -t/--timeout.\n";
    }
    timeoutMs = timeout;
    return std::string();
}

namespace {

bool isBusPalWord(const std::string &word)
{
    for (const char *known : { "spi", "i2c", "can", "sai", "gpio", "clock" })
    {
        if (word == known)
        {
            return true;
        }
    }
    return false;
}

} // namespace

std::string readBusPalArgument(const std::string &value, string_vector_t &words)
{
    words.clear();
    utils::split(value, ',', words);
    const std::string first = words.empty() ? std::string() : words[0];
    if (!isBusPalWord(first))
    {
        return "Error: " + first + " is not valid for option -b/--buspal.\n";
    }
    return std::string();
}

std::unique_ptr<vorn::DeviceLock> reserveUsbDevice(uint16_t vid, uint16_t pid, const std::string &path)
{
    const std::string device = path.empty() ? vorn::enumeratedDevicePath(vid, pid) : path;
    if (device.empty())
    {
        return nullptr;
    }
    std::string reason;
    std::unique_ptr<vorn::DeviceLock> lock = vorn::DeviceLock::tryLock(device, &reason);
    if (!lock)
    {
        throw std::runtime_error(blfwk::kLogErrorPrefix + reason + "\n");
    }
    return lock;
}
