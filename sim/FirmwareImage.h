#pragma once

#include "sim/SimConfig.h"

#include <cstdint>
#include <vector>

namespace vornsim {

constexpr uint32_t kTrailerAddress = 0x70000;
constexpr uint32_t kTrailerSize = 12;

//! Flash contents of a controller that left the factory with an older
//! firmware: a vector table, some program bytes, zero padding up to the
//! trailer at 0x70000 (vendor ID, the variant's two product IDs, version),
//! and erased bytes after it.
std::vector<uint8_t> buildFactoryFlash(const Variant &variant, const FirmwareVersion &version);

} // namespace vornsim
