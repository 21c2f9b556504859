// The engine's argument vector, as the console tool or the window hands it
// over, against the virtual controller in this process. The input is the
// words after "rivuvo", one per line (a NUL also ends a word). The image
// file "updatefile.bin" is at hand in the current directory.

#include "blfwk/UsbHidPacketizer.h"
#include "blfwk/bootloader_packets.h"
#include "engine_run.h"
#include "sim/vornsim_control.h"

#include <hidapi.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const size_t kMaxWords = 64;

//! Words that hold a '/' are dropped: every file the engine opens or
//! creates stays in the scratch directory, so it can never reach a FIFO, a
//! device or a file elsewhere.
std::vector<std::string> wordsOf(const uint8_t *data, size_t size)
{
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size && words.size() <= kMaxWords; ++i)
    {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\0')
        {
            words.emplace_back();
        }
        else
        {
            words.back() += c;
        }
    }
    if (words.back().empty())
    {
        words.pop_back();
    }
    std::vector<std::string> kept;
    for (std::string &word : words)
    {
        if (word.find('/') == std::string::npos)
        {
            kept.push_back(std::move(word));
        }
    }
    return kept;
}

//! Whether the controller may differ from a freshly plugged-in one: set by
//! any report other than a read-memory or get-property command.
bool s_controllerTouched = true;

} // namespace

extern "C" int __real_hid_write(hid_device *dev, const unsigned char *data, size_t length);

extern "C" int __wrap_hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    using namespace blfwk;
    const bool onlyReads = length > 4 && data[0] == kBootloaderReportID_CommandOut &&
                           (data[4] == kCommandTag_ReadMemory || data[4] == kCommandTag_GetProperty);
    s_controllerTouched = s_controllerTouched || !onlyReads;
    return __real_hid_write(dev, data, length);
}

extern "C" int __real_hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds);

//! Without timing the virtual controller's answers are ready as soon as the
//! command is written, so a read that waits finds nothing more than a poll
//! does: every wait is cut to a poll. A negative time-out would block for
//! ever, which is a finding.
extern "C" int __wrap_hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    fuzzrun::require(milliseconds >= 0, "the engine asked hidapi to wait for ever");
    return __real_hid_read_timeout(dev, data, length, 0);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A plain black controller in this process, without timing or faults.
    for (const char *name : { "VORN_HID_SOCKET", "VORN_SIM_VARIANT", "VORN_SIM_VERSION", "VORN_SIM_FLASH",
                              "VORN_SIM_MAX_PACKET", "VORN_SIM_TIMING", "VORN_SIM_FAULT", "VORN_SIM_TRACE",
                              "VORN_SIM_CONTROLLERS" })
    {
        unsetenv(name);
    }
    fuzzrun::enterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Every input meets a freshly plugged-in controller with the old firmware;
    // building one costs more than most runs, so it is rebuilt only when needed.
    if (s_controllerTouched)
    {
        vornsim_reconfigure();
        s_controllerTouched = false;
    }
    fuzzrun::resetScratchDirectory();
    fuzzrun::runEngine(wordsOf(data, size));
    return 0;
}
