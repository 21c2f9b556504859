#include "sim/ReportLink.h"

#include <algorithm>

namespace vornsim {

namespace {

constexpr size_t kTransactionBytes = 64;

} // namespace

Clock::duration TimingModel::transfer(size_t reportBytes) const
{
    if (!m_fullSpeed)
    {
        return Clock::duration::zero();
    }
    size_t transactions = std::max<size_t>(1, (reportBytes + kTransactionBytes - 1) / kTransactionBytes);
    return std::chrono::milliseconds(transactions);
}

Clock::duration TimingModel::flashWork(uint32_t microseconds) const
{
    if (!m_fullSpeed)
    {
        return Clock::duration::zero();
    }
    return std::chrono::microseconds(microseconds);
}

void ReportLink::cut()
{
    m_state = State::Gone;
    m_queue.clear();
}

void ReportLink::queue(std::vector<DeviceReport> reports, Clock::time_point earliest, const TimingModel &timing)
{
    Clock::time_point at = std::max(earliest, m_lastReady);
    for (DeviceReport &report : reports)
    {
        at += timing.transfer(report.bytes.size()) + std::chrono::milliseconds(report.delayMs);
        m_queue.push_back(Pending{ std::move(report.bytes), at, report.unplugAfter });
    }
    m_lastReady = at;
}

void ReportLink::discardQueued()
{
    m_queue.clear();
    m_lastReady = Clock::time_point();
}

ReportLink::Pending ReportLink::takeFront()
{
    Pending front = std::move(m_queue.front());
    m_queue.pop_front();
    return front;
}

} // namespace vornsim
