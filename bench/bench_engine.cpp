#include "blfwk/Bootloader.h"
#include "blfwk/Logging.h"
#include "blfwk/MemoryCommands.h"
#include "blfwk/Peripheral.h"
#include "rivuvo.h"
#include "sim/vornsim_control.h"

#include <benchmark/benchmark.h>

#include <hidapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

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

// The whole firmware image, as the updater writes it: erase, then write.
const uint32_t kImageBytes = 0x7000C;
const char kImagePath[] = "bench-image.bin";

void useControllerWithPacketSize(int64_t maxPacket)
{
    setenv("VORN_SIM_MAX_PACKET", std::to_string(maxPacket).c_str(), 1);
    useBlackController();
    unsetenv("VORN_SIM_MAX_PACKET");
}

//! Remembers whether the last "Response status" text of a run reported success.
class StatusLogger : public Logger
{
public:
    bool lastStatusOk = false;

protected:
    void _log(const char *msg) override
    {
        static const char kStatus[] = "Response status = ";
        if (std::strncmp(msg, kStatus, sizeof(kStatus) - 1) == 0)
        {
            lastStatusOk = std::strncmp(msg, kSuccessStatus, sizeof(kSuccessStatus) - 1) == 0;
        }
    }

private:
    static constexpr char kSuccessStatus[] = "Response status = 0 (0x0) Success";
};

bool runEngine(std::vector<std::string> line, StatusLogger &logger)
{
    std::vector<std::string> words{ "RiVuvo", "-u", "0x3b7c,0x5e03", "--" };
    words.insert(words.end(), line.begin(), line.end());
    std::vector<char *> argv;
    for (std::string &w : words)
    {
        argv.push_back(w.data());
    }
    logger.lastStatusOk = false;
    RiVuvo rivuvo(static_cast<int>(argv.size()), argv.data(), nullptr);
    return rivuvo.run() == 0 && logger.lastStatusOk;
}

void writeImageFile()
{
    std::vector<char> bytes(kImageBytes, 0x42);
    FILE *f = std::fopen(kImagePath, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The whole firmware write through the driver, as the updater runs it. A run
// the target refuses is no measurement: it fails the benchmark.
void BM_EngineWrite(benchmark::State &state)
{
    useControllerWithPacketSize(state.range(0));
    writeImageFile();
    StatusLogger logger;
    Log::setLogger(&logger);
    for (auto _ : state)
    {
        if (!runEngine({ "flash-erase-region", "0x00", "0x71000" }, logger) ||
            !runEngine({ "write-memory", "0x0", kImagePath }, logger))
        {
            state.SkipWithError("the target did not answer success");
            break;
        }
    }
    Log::setLogger(nullptr);
    std::remove(kImagePath);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(BM_EngineWrite)->Arg(56)->Arg(8192)->Unit(benchmark::kMillisecond)->Repetitions(15);

//! The least a host can do for the same write: the same reports through the
//! same hidapi functions, framed in place, each answer read and checked.
class RawHost
{
public:
    RawHost() { m_device = hid_open(0x3b7c, 0x5e03, nullptr); }
    ~RawHost()
    {
        if (m_device)
        {
            hid_close(m_device);
        }
    }
    RawHost(const RawHost &) = delete;
    RawHost &operator=(const RawHost &) = delete;

    bool isOpen() const { return m_device != nullptr; }

    //! Sends a command and returns the status word of its answer (-1: none).
    int64_t command(uint8_t tag, std::initializer_list<uint32_t> params, uint32_t *firstValue = nullptr)
    {
        uint8_t *packet = m_out + 4;
        packet[0] = tag;
        packet[1] = 0;
        packet[2] = 0;
        packet[3] = static_cast<uint8_t>(params.size());
        uint32_t length = 4;
        for (uint32_t param : params)
        {
            putWord(packet + length, param);
            length += 4;
        }
        if (!send(1, length))
        {
            return -1;
        }
        return answer(firstValue);
    }

    bool data(const uint8_t *bytes, uint32_t count)
    {
        std::memcpy(m_out + 4, bytes, count);
        return send(2, count);
    }

    //! Status word of the next response report (-1: none).
    int64_t answer(uint32_t *firstValue = nullptr)
    {
        int got = hid_read_timeout(m_device, m_in, sizeof(m_in), 5000);
        if (got < 16 || m_in[0] != 3)
        {
            return -1;
        }
        if (firstValue)
        {
            *firstValue = word(m_in + 12);
        }
        return word(m_in + 8);
    }

private:
    bool send(uint8_t reportId, uint32_t length)
    {
        m_out[0] = reportId;
        m_out[1] = 0;
        m_out[2] = static_cast<uint8_t>(length & 0xff);
        m_out[3] = static_cast<uint8_t>(length >> 8);
        return hid_write(m_device, m_out, length + 4) >= 0;
    }
    static void putWord(uint8_t *at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
        {
            at[i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
    static uint32_t word(const uint8_t *at)
    {
        return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
               static_cast<uint32_t>(at[3]) << 24;
    }

    hid_device *m_device = nullptr;
    uint8_t m_out[4 + kMaxHostPacketSize];
    uint8_t m_in[4 + kMaxHostPacketSize];
};

//! Like the engine, the raw host starts from the image file: one read of it
//! is part of the least a host has to do.
bool readImage(std::vector<uint8_t> &image)
{
    FILE *f = std::fopen(kImagePath, "rb");
    if (!f)
    {
        return false;
    }
    image.resize(kImageBytes);
    size_t got = std::fread(image.data(), 1, image.size(), f);
    std::fclose(f);
    return got == image.size();
}

bool rawWrite(std::vector<uint8_t> &image)
{
    const uint8_t kFlashEraseRegion = 0x02, kWriteMemory = 0x04, kGetProperty = 0x07;
    const uint32_t kMaxPacketSizeProperty = 11;
    {
        RawHost host;
        if (!host.isOpen() || host.command(kFlashEraseRegion, { 0, 0x71000, 0 }) != 0)
        {
            return false;
        }
    }
    RawHost host;
    uint32_t packetSize = 0;
    if (!readImage(image) || !host.isOpen() ||
        host.command(kGetProperty, { kMaxPacketSizeProperty, 0 }, &packetSize) != 0 || packetSize == 0 ||
        packetSize > kMaxHostPacketSize ||
        host.command(kWriteMemory, { 0, static_cast<uint32_t>(image.size()), 0 }) != 0)
    {
        return false;
    }
    for (size_t sent = 0; sent < image.size(); sent += packetSize)
    {
        uint32_t count = static_cast<uint32_t>(std::min<size_t>(packetSize, image.size() - sent));
        if (!host.data(image.data() + sent, count))
        {
            return false;
        }
    }
    return host.answer() == 0;
}

void BM_RawWrite(benchmark::State &state)
{
    useControllerWithPacketSize(state.range(0));
    writeImageFile();
    std::vector<uint8_t> image;
    for (auto _ : state)
    {
        if (!rawWrite(image))
        {
            state.SkipWithError("the target did not answer success");
            break;
        }
    }
    std::remove(kImagePath);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(BM_RawWrite)->Arg(56)->Arg(8192)->Unit(benchmark::kMillisecond)->Repetitions(15);

//! Prints as usual and keeps each write benchmark's CPU time per iteration,
//! so that the engine can be compared with the raw loop of the same run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
        {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
            {
                m_times[run.run_name.function_name + "/" + run.run_name.args].push_back(run.cpu_accumulated_time / static_cast<double>(run.iterations));
            }
        }
    }

    //! Median CPU time per iteration of @a name, 0 when it did not run.
    double median(const std::string &name) const
    {
        auto found = m_times.find(name);
        if (found == m_times.end())
        {
            return 0;
        }
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

private:
    std::map<std::string, std::vector<double>> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    // The repetitions of engine and raw loop take turns, so that a machine
    // that slows down or speeds up on the way tilts neither side; a flag
    // given on the command line still wins.
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char *size : { "56", "8192" })
    {
        double engine = reporter.median(std::string("BM_EngineWrite/") + size);
        double raw = reporter.median(std::string("BM_RawWrite/") + size);
        if (engine > 0 && raw > 0)
        {
            std::printf("engine/raw at %s-byte packets: %.2f (median CPU time %.2f ms / %.2f ms)\n", size,
                        engine / raw, engine * 1e3, raw * 1e3);
        }
    }
    return 0;
}
