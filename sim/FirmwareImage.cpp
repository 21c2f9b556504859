#include "sim/FirmwareImage.h"

#include "sim/FlashMemory.h"

#include <algorithm>

namespace vornsim {

namespace {

constexpr uint32_t kStackPointer = 0x20030000;
constexpr uint32_t kResetEntry = 0x181;
constexpr uint32_t kVectorTableEnd = 0x100;
constexpr uint32_t kProgramEnd = 0x4000;

void put16(std::vector<uint8_t> &bytes, uint32_t at, uint16_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t> &bytes, uint32_t at, uint32_t value)
{
    put16(bytes, at, static_cast<uint16_t>(value));
    put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

} // namespace

std::vector<uint8_t> buildFactoryFlash(const Variant &variant, const FirmwareVersion &version)
{
    std::vector<uint8_t> flash(FlashMemory::kSize, FlashMemory::kErased);
    std::fill(flash.begin(), flash.begin() + kTrailerAddress, 0);

    put32(flash, 0, kStackPointer);
    put32(flash, 4, kResetEntry);
    // Every other exception points at one shared handler, as Thumb code does.
    for (uint32_t at = 8; at < kVectorTableEnd; at += 4)
    {
        put32(flash, at, 0x1c1);
    }
    // Deterministic filler that looks like code rather than a pattern.
    uint32_t state = 0x2545f491;
    for (uint32_t at = kVectorTableEnd; at < kProgramEnd; ++at)
    {
        state = state * 1664525u + 1013904223u;
        flash[at] = static_cast<uint8_t>(state >> 24);
    }

    put16(flash, kTrailerAddress + 0, kVendorId);
    put16(flash, kTrailerAddress + 2, variant.firmwarePid);
    put16(flash, kTrailerAddress + 4, variant.updatePid);
    put16(flash, kTrailerAddress + 6, version.patch);
    put16(flash, kTrailerAddress + 8, version.minor);
    put16(flash, kTrailerAddress + 10, version.major);
    return flash;
}

} // namespace vornsim
