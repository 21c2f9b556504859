#include "sim/SimConfig.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>

namespace vornsim {

bool parseNumber(const std::string &text, uint64_t limit, uint64_t &value)
{
    // Decimal unless marked as hex: a leading zero never means octal here.
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    {
        return false;
    }
    errno = 0;
    unsigned long long parsed = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno != 0 || parsed > limit)
    {
        return false;
    }
    value = parsed;
    return true;
}

const Variant *findVariant(const std::string &name)
{
    for (const Variant &variant : vorn::kVariants)
    {
        if (name == variant.name)
        {
            return &variant;
        }
    }
    return nullptr;
}

const Variant &defaultVariant()
{
    return vorn::kBlackVariant;
}

bool parseVersion(const std::string &text, FirmwareVersion &version)
{
    uint64_t numbers[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i)
    {
        size_t dot = text.find('.', start);
        if ((i < 2) != (dot != std::string::npos))
        {
            return false;
        }
        std::string part = text.substr(start, i < 2 ? dot - start : std::string::npos);
        if (part.find_first_not_of("0123456789") != std::string::npos || !parseNumber(part, 0xffff, numbers[i]))
        {
            return false;
        }
        start = dot + 1;
    }
    version.major = static_cast<uint16_t>(numbers[0]);
    version.minor = static_cast<uint16_t>(numbers[1]);
    version.patch = static_cast<uint16_t>(numbers[2]);
    return true;
}

SimConfig readConfig(const EnvLookup &lookup)
{
    SimConfig config;
    auto text = [&lookup](const char *name) {
        const char *value = lookup(name);
        return std::string(value ? value : "");
    };

    std::string variant = text("VORN_SIM_VARIANT");
    if (variant == "none")
    {
        config.variant = nullptr;
    }
    else if (!variant.empty())
    {
        if (const Variant *found = findVariant(variant))
        {
            config.variant = found;
        }
        else
        {
            config.warnings.push_back("VORN_SIM_VARIANT '" + variant + "' is not a variant; using black");
        }
    }

    std::string version = text("VORN_SIM_VERSION");
    if (!version.empty() && !parseVersion(version, config.version))
    {
        config.warnings.push_back("VORN_SIM_VERSION '" + version + "' is not MAJOR.MINOR.PATCH; using 0.5.19");
    }

    std::string maxPacket = text("VORN_SIM_MAX_PACKET");
    uint64_t size = 0;
    if (!maxPacket.empty())
    {
        if (parseNumber(maxPacket, 0xffffffffu, size))
        {
            config.maxPacketSize = static_cast<uint32_t>(size);
        }
        else
        {
            config.warnings.push_back("VORN_SIM_MAX_PACKET '" + maxPacket + "' is not a number; using 56");
        }
    }

    std::string timing = text("VORN_SIM_TIMING");
    if (timing == "full-speed")
    {
        config.fullSpeed = true;
    }
    else if (!timing.empty() && timing != "none")
    {
        config.warnings.push_back("VORN_SIM_TIMING '" + timing + "' is neither none nor full-speed; using none");
    }

    std::string controllers = text("VORN_SIM_CONTROLLERS");
    uint64_t count = 0;
    if (!controllers.empty())
    {
        if (parseNumber(controllers, kMaxControllers, count) && count > 0)
        {
            config.controllers = static_cast<unsigned>(count);
        }
        else
        {
            config.warnings.push_back("VORN_SIM_CONTROLLERS '" + controllers + "' is not a number from 1 to " +
                                      std::to_string(kMaxControllers) + "; using one controller");
        }
    }
    for (unsigned k = 1; k <= config.controllers; ++k)
    {
        config.controllerFaults.push_back(text(("VORN_SIM_FAULT_" + std::to_string(k)).c_str()));
    }

    config.flashPath = text("VORN_SIM_FLASH");
    config.faults = text("VORN_SIM_FAULT");
    config.tracePath = text("VORN_SIM_TRACE");
    config.socketPath = text("VORN_HID_SOCKET");
    return config;
}

std::vector<ControllerSlot> controllerSlots(const SimConfig &config)
{
    std::vector<ControllerSlot> slots;
    if (config.controllers == 0)
    {
        ControllerSlot classic;
        classic.serialNumber = L"KELVO-SIM-0001";
        classic.instance = "vornsim";
        classic.flashPath = config.flashPath;
        classic.faults = config.faults;
        slots.push_back(classic);
        return slots;
    }
    for (unsigned k = 1; k <= config.controllers; ++k)
    {
        ControllerSlot slot;
        slot.number = k;
        wchar_t serial[16];
        std::swprintf(serial, sizeof(serial) / sizeof(serial[0]), L"VSIM%04u", k);
        slot.serialNumber = serial;
        slot.instance = "vornsim" + std::to_string(k);
        slot.flashPath = config.flashPath.empty() ? std::string() : config.flashPath + "." + std::to_string(k);
        const std::string &own = k <= config.controllerFaults.size() ? config.controllerFaults[k - 1] : std::string();
        slot.faults = own.empty() ? config.faults : own;
        slots.push_back(slot);
    }
    return slots;
}

std::string numberedSocketPath(const std::string &socketPath, unsigned number)
{
    return number == 0 ? socketPath : socketPath + "." + std::to_string(number);
}

SimConfig readEnvironment()
{
    return readConfig([](const char *name) { return std::getenv(name); });
}

} // namespace vornsim
