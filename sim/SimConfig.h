#pragma once

#include "product/controller_variants.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vornsim {

//! One colour variant of the controller: the product ID it enumerates
//! under in update mode and the second product ID its firmware carries.
using Variant = vorn::ControllerVariant;
using vorn::kVendorId;

//! The variant called @a name, or null for "none" and unknown names.
const Variant *findVariant(const std::string &name);

//! The variant used when nothing else is asked for: black.
const Variant &defaultVariant();

struct FirmwareVersion
{
    uint16_t major = 0;
    uint16_t minor = 5;
    uint16_t patch = 19;
};

//! Reads a decimal number, or a hexadecimal one after "0x", of at most @a limit.
bool parseNumber(const std::string &text, uint64_t limit, uint64_t &value);

//! Reads "MAJOR.MINOR.PATCH"; each number must fit in 16 bits.
bool parseVersion(const std::string &text, FirmwareVersion &version);

//! Everything the virtual controller takes from the environment.
struct SimConfig
{
    const Variant *variant = &defaultVariant(); //!< null: nothing attached
    FirmwareVersion version;
    std::string flashPath;   //!< empty: flash lives as long as the process
    uint32_t maxPacketSize = 56;
    bool fullSpeed = false;  //!< transfers and flash work take real time
    std::string faults;      //!< fault list, parsed by FaultPlan
    std::string tracePath;   //!< empty: no trace
    std::string socketPath;  //!< set: an external device stands in for the controller
    //! 0: the one classic controller; otherwise this many numbered ones.
    unsigned controllers = 0;
    //! Per numbered controller (index k - 1): its own fault list, empty
    //! when it takes the common one.
    std::vector<std::string> controllerFaults;
    std::vector<std::string> warnings; //!< values that were ignored, and why
};

//! The most controllers one process plugs in.
constexpr unsigned kMaxControllers = 64;

//! What sets numbered controller @a number (from 1) apart from the others.
struct ControllerSlot
{
    unsigned number = 0;       //!< 0: the one classic controller
    std::wstring serialNumber; //!< "VSIM0001", or the classic one
    std::string instance;      //!< the path's instance word: "vornsim", "vornsim2"
    std::string flashPath;     //!< the configured file, with ".k" for a numbered one
    std::string faults;
};

//! The controllers that @a config plugs in, in enumeration order.
std::vector<ControllerSlot> controllerSlots(const SimConfig &config);

//! Where numbered controller @a number is reached behind the socket bridge.
std::string numberedSocketPath(const std::string &socketPath, unsigned number);

using EnvLookup = std::function<const char *(const char *)>;

//! Builds the configuration from the variables that @a lookup returns;
//! an unset or empty variable keeps its default.
SimConfig readConfig(const EnvLookup &lookup);

//! readConfig over the process environment.
SimConfig readEnvironment();

} // namespace vornsim
