#include "sim/FaultPlan.h"

#include "sim/SimConfig.h"

namespace vornsim {

namespace {

enum class ValueRule
{
    None,
    Required,
    Optional,
};

struct KindInfo
{
    const char *name;
    FaultKind kind;
    ValueRule rule;
    uint32_t defaultValue;
    uint32_t minimum;
    bool dataPhaseOnly; //!< only read-memory and write-memory have the event
};

const KindInfo kKinds[] = {
    { "unplug", FaultKind::Unplug, ValueRule::Required, 0, 1, false },
    { "silent", FaultKind::Silent, ValueRule::None, 0, 0, false },
    { "status", FaultKind::Status, ValueRule::Required, 0, 0, false },
    { "final-status", FaultKind::FinalStatus, ValueRule::Required, 0, 0, true },
    { "abort", FaultKind::Abort, ValueRule::Optional, 0, 0, true },
    { "report-id", FaultKind::ReportId, ValueRule::Optional, 1, 1, false },
    { "long-length", FaultKind::LongLength, ValueRule::Optional, 1, 1, false },
    { "short", FaultKind::ShortReport, ValueRule::Optional, 1, 1, false },
    { "wrong-tag", FaultKind::WrongTag, ValueRule::Optional, 1, 1, false },
    { "other-tag", FaultKind::OtherTag, ValueRule::Optional, 1, 1, false },
    { "delay", FaultKind::Delay, ValueRule::Required, 0, 0, false },
};

struct CommandName
{
    const char *name;
    uint8_t tag;
};

const CommandName kCommands[] = {
    { "flash-erase-all", 0x01 }, { "flash-erase-region", 0x02 }, { "read-memory", 0x03 },
    { "write-memory", 0x04 },    { "get-property", 0x07 },       { "reset", 0x0B },
};

std::string trim(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
    {
        return std::string();
    }
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true)
    {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
        {
            return parts;
        }
        start = at + 1;
    }
}

bool parseNumber(const std::string &text, uint32_t &value)
{
    uint64_t parsed = 0;
    if (!vornsim::parseNumber(text, 0xffffffffu, parsed))
    {
        return false;
    }
    value = static_cast<uint32_t>(parsed);
    return true;
}

//! Parses one entry (without its repeat mark); empty result on success.
std::string parseEntry(const std::string &entry, Fault &fault)
{
    std::vector<std::string> parts = split(entry, ':');
    const std::string &kind = parts[0];

    if (kind == "denied")
    {
        if (parts.size() != 1)
        {
            return "expected denied";
        }
        fault.kind = FaultKind::Denied;
        return std::string();
    }
    if (kind == "packet-size")
    {
        if (parts.size() != 2)
        {
            return "expected packet-size:VALUE or packet-size:none";
        }
        fault.kind = FaultKind::PacketSize;
        fault.commandTag = 0x07;
        if (parts[1] == "none")
        {
            return std::string();
        }
        if (!parseNumber(parts[1], fault.value))
        {
            return "'" + parts[1] + "' is not a number";
        }
        fault.hasValue = true;
        return std::string();
    }

    const KindInfo *info = nullptr;
    for (const KindInfo &candidate : kKinds)
    {
        if (kind == candidate.name)
        {
            info = &candidate;
        }
    }
    if (!info)
    {
        return "unknown fault '" + kind + "'";
    }
    if (parts.size() < 2 || parts.size() > (info->rule == ValueRule::None ? 2 : 3))
    {
        const char *value = info->rule == ValueRule::None       ? ""
                            : info->rule == ValueRule::Required ? ":VALUE"
                                                                : "[:VALUE]";
        return "expected " + kind + ":COMMAND" + value;
    }
    fault.kind = info->kind;
    fault.commandTag = commandTagForName(parts[1]);
    if (fault.commandTag == 0)
    {
        return "unknown command '" + parts[1] + "'";
    }
    if (info->dataPhaseOnly && fault.commandTag != 0x03 && fault.commandTag != 0x04)
    {
        return kind + " needs read-memory or write-memory";
    }
    if (parts.size() == 3)
    {
        if (!parseNumber(parts[2], fault.value))
        {
            return "'" + parts[2] + "' is not a number";
        }
        if (fault.value < info->minimum)
        {
            return kind + " counts from " + std::to_string(info->minimum);
        }
    }
    else if (info->rule == ValueRule::Required)
    {
        return kind + " needs a value";
    }
    else
    {
        fault.value = info->defaultValue;
    }
    fault.hasValue = true;
    return std::string();
}

} // namespace

uint8_t commandTagForName(const std::string &name)
{
    for (const CommandName &command : kCommands)
    {
        if (name == command.name)
        {
            return command.tag;
        }
    }
    return 0;
}

FaultPlan FaultPlan::parse(const std::string &text, std::vector<std::string> &errors)
{
    FaultPlan plan;
    if (trim(text).empty())
    {
        return plan;
    }
    for (const std::string &raw : split(text, ','))
    {
        std::string entry = trim(raw);
        Fault fault;
        fault.text = entry;
        if (!entry.empty() && entry.back() == '*')
        {
            fault.repeats = true;
            entry = trim(entry.substr(0, entry.size() - 1));
        }
        if (entry.empty())
        {
            errors.push_back("empty fault entry");
            continue;
        }
        std::string error = parseEntry(entry, fault);
        if (!error.empty())
        {
            errors.push_back("fault '" + fault.text + "': " + error);
            continue;
        }
        plan.m_faults.push_back(fault);
    }
    return plan;
}

Fault *FaultPlan::armed(FaultKind kind, uint8_t commandTag)
{
    for (Fault &fault : m_faults)
    {
        if (fault.kind == kind && fault.commandTag == commandTag && !fault.fired)
        {
            return &fault;
        }
    }
    return nullptr;
}

} // namespace vornsim
