#pragma once

#include <cstdint>

//! The colour variants of the controller, the one table that the window, the
//! firmware image writer, the virtual controller and the tests share.
namespace vorn {

//! USB vendor ID of the controller, in update mode and in play.
constexpr std::uint16_t kVendorId = 0x3b7c;

struct ControllerVariant
{
    const char *name;             //!< in firmware file names and VORN_SIM_VARIANT: "light_gray"
    const char *vidPid;           //!< the engine's "-u" argument for the bootloader
    std::uint16_t updatePid;      //!< product ID of the bootloader (update mode)
    std::uint16_t firmwarePid;    //!< product ID of the controller in play
};

//! In the order the window tries them.
constexpr ControllerVariant kVariants[] = {
    { "smoked", "0x3b7c,0x5e0d", 0x5e0d, 0x5e12 },
    { "light_gray", "0x3b7c,0x5e0c", 0x5e0c, 0x5e11 },
    { "steel_gray", "0x3b7c,0x5e0b", 0x5e0b, 0x5e10 },
    { "black", "0x3b7c,0x5e03", 0x5e03, 0x5e0f },
};

constexpr int kVariantCount = sizeof(kVariants) / sizeof(kVariants[0]);

//! The variant whose image carries the version the window offers, and the
//! one the virtual controller plugs in unless told otherwise.
inline constexpr const ControllerVariant &kBlackVariant = kVariants[kVariantCount - 1];

} // namespace vorn
