#pragma once

#include "sim/BootloaderModel.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

namespace vornsim {

using Clock = std::chrono::steady_clock;

//! How long the wire and the flash take: nothing, or what a full-speed
//! interrupt endpoint (64-byte transactions, one per millisecond) and real
//! flash need.
class TimingModel
{
public:
    explicit TimingModel(bool fullSpeed)
        : m_fullSpeed(fullSpeed)
    {
    }

    Clock::duration transfer(size_t reportBytes) const;
    Clock::duration flashWork(uint32_t microseconds) const;

private:
    bool m_fullSpeed;
};

//! One plug-in of the controller as the host's handles see it: the input
//! reports on their way to the host and whether the device is still there.
class ReportLink
{
public:
    enum class State
    {
        Live,    //!< plugged in
        Closing, //!< restarting: queued reports can still be read, nothing else
        Gone,    //!< unplugged
    };

    struct Pending
    {
        std::vector<uint8_t> bytes;
        Clock::time_point readyAt;
        bool unplugAfter;
    };

    State state() const { return m_state; }
    void close() { m_state = State::Closing; }
    void cut();

    //! Queues the device's reports behind those already queued; the first
    //! cannot arrive before @a earliest, each takes its transfer time.
    void queue(std::vector<DeviceReport> reports, Clock::time_point earliest, const TimingModel &timing);
    void discardQueued();

    bool hasQueued() const { return !m_queue.empty(); }
    const Pending &front() const { return m_queue.front(); }
    Pending takeFront();

    int openHandles = 0;
    Clock::time_point busyUntil; //!< the device takes no output report before this
    //! When the report last written or read was due on the device's own
    //! schedule; the next report of a host that keeps up follows from it.
    Clock::time_point scheduleAt;

private:
    State m_state = State::Live;
    std::deque<Pending> m_queue;
    Clock::time_point m_lastReady;
};

} // namespace vornsim
