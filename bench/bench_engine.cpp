#include "blfwk/Bootloader.h"
#include "blfwk/Logging.h"
#include "blfwk/MemoryCommands.h"
#include "blfwk/Peripheral.h"
#include "rivuvo.h"
#include "sim/vornsim_control.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

using namespace blfwk;

// Every allocation of the process is counted, so that a benchmark can state
// how many its loop made.
static std::atomic<long> g_allocations{ 0 };

void *operator new(size_t size)
{
    ++g_allocations;
    if (void *p = std::malloc(size ? size : 1))
    {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, size_t) noexcept
{
    std::free(p);
}

namespace {

//! Drops every message after formatting it, like a logger whose output costs nothing.
class NullLogger : public Logger
{
protected:
    void _log(const char *) override {}
};

void useBlackController()
{
    setenv("VORN_SIM_VARIANT", "black", 1);
    unsetenv("VORN_SIM_FAULT");
    unsetenv("VORN_SIM_TRACE");
    unsetenv("VORN_SIM_FLASH");
    setenv("VORN_SIM_TIMING", "none", 1);
    vornsim_reconfigure();
}

Peripheral::PeripheralConfigData blackConfig()
{
    Peripheral::PeripheralConfigData config;
    config.peripheralType = kHostPeripheralType_USB_HID;
    config.usbHidVid = 0x3b7c;
    config.usbHidPid = 0x5e03;
    config.packetTimeoutMs = 5000;
    return config;
}

// A message above the filter must cost no formatting: the traffic dumps of
// the most detailed level are logged per byte.
void BM_LogFilteredOut(benchmark::State &state)
{
    NullLogger logger;
    Log::setLogger(&logger);
    for (auto _ : state)
    {
        Log::debug2("%02x", 0xab);
    }
    Log::setLogger(nullptr);
}
BENCHMARK(BM_LogFilteredOut);

void BM_LogPassed(benchmark::State &state)
{
    NullLogger logger;
    Log::setLogger(&logger);
    for (auto _ : state)
    {
        Log::info("Version: %s", "13 00 05 00 00 00 ");
    }
    Log::setLogger(nullptr);
}
BENCHMARK(BM_LogPassed);

// Sending a data packet must not allocate: both report buffers live in the
// packetizer. The controller ignores data reports outside a write.
void BM_DataPacketWrite(benchmark::State &state)
{
    useBlackController();
    NullLogger logger;
    Log::setLogger(&logger);
    Bootloader session(blackConfig());
    Packetizer *packetizer = session.getPacketizer();
    std::vector<uint8_t> packet(static_cast<size_t>(state.range(0)), 0x5a);

    long before = g_allocations;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(packetizer->writePacket(packet.data(), static_cast<uint32_t>(packet.size()),
                                                         kPacketType_Data));
    }
    state.counters["allocs_per_packet"] =
        benchmark::Counter(static_cast<double>(g_allocations - before) / static_cast<double>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    Log::setLogger(nullptr);
}
BENCHMARK(BM_DataPacketWrite)->Arg(56)->Arg(8192);

// One version read as the window makes it every second: open, command,
// response, data phase, final response, close.
void BM_VersionRead(benchmark::State &state)
{
    useBlackController();
    NullLogger logger;
    Log::setLogger(&logger);
    string_vector_t words{ "read-memory", "0x70006", "6", "/dev/null" };
    for (auto _ : state)
    {
        Bootloader session(blackConfig());
        Command *command = Command::create(&words);
        session.inject(*command);
        benchmark::DoNotOptimize(command->getResponseValues()->at(0));
        delete command;
    }
    Log::setLogger(nullptr);
}
BENCHMARK(BM_VersionRead)->Unit(benchmark::kMicrosecond);

// The whole firmware write through the driver, as the updater runs it.
void BM_FirmwareWrite(benchmark::State &state)
{
    useBlackController();
    const char *image = "bench-image.bin";
    {
        std::vector<char> bytes(0x7000C, 0x42);
        FILE *f = std::fopen(image, "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    NullLogger logger;
    Log::setLogger(&logger);
    for (auto _ : state)
    {
        for (const std::vector<std::string> &line :
             { std::vector<std::string>{ "flash-erase-region", "0x00", "0x71000" },
               std::vector<std::string>{ "write-memory", "0x0", image } })
        {
            std::vector<std::string> words{ "RiVuvo", "-u", "0x3b7c,0x5e03", "--" };
            words.insert(words.end(), line.begin(), line.end());
            std::vector<char *> argv;
            for (std::string &w : words)
            {
                argv.push_back(w.data());
            }
            RiVuvo rivuvo(static_cast<int>(argv.size()), argv.data(), nullptr);
            if (rivuvo.run() != 0)
            {
                state.SkipWithError("engine run failed");
            }
        }
    }
    Log::setLogger(nullptr);
    std::remove(image);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 0x7000C);
}
BENCHMARK(BM_FirmwareWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
