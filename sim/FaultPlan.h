#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornsim {

enum class FaultKind
{
    Unplug,      //!< unplug:CMD:N        device vanishes after report N of the exchange
    Silent,      //!< silent:CMD          device sends nothing for the exchange
    Status,      //!< status:CMD:CODE     the answer carries CODE; the command is not carried out
    FinalStatus, //!< final-status:CMD:CODE  the response that ends the data phase carries CODE
    Abort,       //!< abort:CMD[:K]       device ends the data phase after K data packets
    ReportId,    //!< report-id:CMD[:N]   device report N carries the other input report ID
    LongLength,  //!< long-length:CMD[:N] device report N announces 8193 packet bytes
    ShortReport, //!< short:CMD[:N]       device report N is 4 bytes shorter than it announces
    WrongTag,    //!< wrong-tag:CMD[:N]   device report N carries response tag 0xAF
    OtherTag,    //!< other-tag:CMD[:N]   generic response N names another command
    Delay,       //!< delay:CMD:MS        the first answer comes MS milliseconds late
    PacketSize,  //!< packet-size:VALUE|none  the max-packet-size answer carries VALUE or no value
    Denied,      //!< denied              the device is there but opening it is refused
};

struct Fault
{
    FaultKind kind = FaultKind::Unplug;
    uint8_t commandTag = 0; //!< 0 for packet-size, which concerns property 11
    uint32_t value = 0;
    bool hasValue = false;  //!< false for packet-size:none
    bool repeats = false;   //!< written with a trailing '*'
    bool fired = false;
    std::string text;       //!< the entry as written
};

//! The faults of one process: parsed once, each firing once unless it
//! repeats.
class FaultPlan
{
public:
    FaultPlan() = default;

    //! Parses a comma-separated list; entries that do not parse are left
    //! out and described in @a errors.
    static FaultPlan parse(const std::string &text, std::vector<std::string> &errors);

    //! The first fault of @a kind for @a commandTag that can still fire.
    Fault *armed(FaultKind kind, uint8_t commandTag);

    //! Records that @a fault took effect.
    static void fire(Fault &fault) { fault.fired = !fault.repeats; }

    const std::vector<Fault> &faults() const { return m_faults; }

private:
    std::vector<Fault> m_faults;
};

//! Tag of the command word @a name, 0 when it names no command.
uint8_t commandTagForName(const std::string &name);

} // namespace vornsim
