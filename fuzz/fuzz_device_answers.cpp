// Any bytes as the reports that the engine reads while it runs one of its
// commands against a scripted hidapi.
//
// Input: one byte that picks the command line, one byte of flags (bit 0
// dumps the traffic, bit 1 logs the JSON record, bits 2-3 are the number of
// report writes that fail), then the reports that the reads return in turn,
// each as a little-endian 16-bit length and its bytes. A length of 0 is a
// read that times out, 0xFFFF a read that fails; after the last report every
// read times out.

#include "engine_run.h"
#include "fake_hidapi.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using fuzzrun::kImageName;

const uint16_t kFailedRead = 0xffff;

//! The engine's five commands as the window and the console tool give them;
//! every write-memory also asks the target for its packet size first.
const std::vector<std::vector<std::string>> &commandLines()
{
    static const std::vector<std::vector<std::string>> lines = {
        { "read-memory", "0x70006", "6" },
        { "read-memory", "0x0", "300" },
        { "read-memory", "0x0", "64", "read.bin" },
        { "flash-erase-region", "0x00", "0x71000" },
        { "flash-erase-all" },
        { "reset" },
        { "write-memory", "0x0", kImageName },
        { "write-memory", "0x100", std::string(kImageName) + ",200" },
        { "write-memory", "0x0", "{{11 22 33 44 55 66 77 88 99}}" },
    };
    return lines;
}

void queueReports(const uint8_t *data, size_t size)
{
    size_t at = 0;
    while (at + 2 <= size)
    {
        const uint16_t length = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
        at += 2;
        if (length == kFailedRead)
        {
            fakehid::hid().input.emplace_back(std::nullopt);
            continue;
        }
        const size_t count = std::min<size_t>(length, size - at);
        fakehid::hid().input.emplace_back(fakehid::Bytes(data + at, data + at + count));
        at += count;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzrun::enterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
    {
        return 0;
    }
    const std::vector<std::string> &command = commandLines()[data[0] % commandLines().size()];
    const uint8_t flags = data[1];

    fakehid::reset();
    fakehid::hid().devices.push_back(fakehid::Device{ 0x3b7c, 0x5e03, L"KELVO-0001", "" });
    fakehid::hid().failingWrites = (flags >> 2) & 3;
    fakehid::hid().writeError = L"The device does not take the report.";
    queueReports(data + 2, size - 2);
    fuzzrun::resetScratchDirectory();

    std::vector<std::string> words = { "-u", "0x3b7c,0x5e03", "-t", "5" };
    if (flags & 1)
    {
        words.push_back("-d");
    }
    if (flags & 2)
    {
        words.push_back("-j");
    }
    words.push_back("--");
    words.insert(words.end(), command.begin(), command.end());
    fuzzrun::runEngine(words);

    fuzzrun::require(fakehid::hid().handles.empty(), "the run left the device open");
    fuzzrun::require(fakehid::hid().misuses == 0, "the run used a device handle that was not open");
    return 0;
}
