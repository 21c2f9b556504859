#pragma once

// The device's own time for an update at full speed, for the benchmarks that
// compare an update with it.

#include "sim/BootloaderModel.h"
#include "sim/ReportLink.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

//! The device's own time for each of the update's three steps at full
//! speed: every report and all flash work, with the host never late.
struct DeviceFloor
{
    double erase = 0;
    double write = 0;
    double reset = 0;
};

inline DeviceFloor deviceFloor()
{
    const bool fullSpeed = true;
    const vornsim::TimingModel timing(fullSpeed);
    auto report = [&timing](size_t bytes) {
        return std::chrono::duration<double, std::milli>(timing.transfer(bytes)).count();
    };
    using vornsim::FlashTiming;
    const uint32_t kArea = 0x71000, kImage = 0x7000C, kPacket = 56, kCommand = 20, kAnswer = 16;

    DeviceFloor floor;
    floor.erase = report(kCommand) + kArea / 0x1000 * FlashTiming::kSectorEraseUs / 1e3 + report(kAnswer);
    // The max-packet-size query and the write command, each answered.
    floor.write = 2 * (report(kCommand) + report(kAnswer));
    for (uint32_t sent = 0; sent < kImage; sent += kPacket)
    {
        const uint32_t bytes = std::min(kPacket, kImage - sent);
        const uint32_t phrases = (bytes + FlashTiming::kPhraseBytes - 1) / FlashTiming::kPhraseBytes;
        floor.write += report(bytes + 4) + phrases * FlashTiming::kPhraseProgramUs / 1e3;
    }
    floor.write += report(kAnswer);
    floor.reset = report(kCommand) + report(kAnswer);
    return floor;
}
