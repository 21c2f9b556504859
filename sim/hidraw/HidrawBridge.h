#pragma once

#include "sim/hidraw/HidrawDescription.h"

#include <umockdev.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vornsim {

//! Puts the controller that the device model reports (the virtual
//! controller in this process, or the model behind VORN_HID_SOCKET, both
//! reached through vornsim's hidapi functions) behind an emulated hidraw
//! node of a umockdev testbed. Each open of the node opens the model; each
//! write is one output report, each read one input report; the ioctls that
//! hidapi issues are answered from the controller's identity. When the
//! model loses the controller (unplug, restart) the node and its sysfs
//! devices go once the reports already on their way have been read, and
//! the model is asked again until it reports a controller.
class HidrawBridge
{
public:
    explicit HidrawBridge(UMockdevTestbed *testbed);
    ~HidrawBridge();
    HidrawBridge(const HidrawBridge &) = delete;
    HidrawBridge &operator=(const HidrawBridge &) = delete;

    //! Plugs in what the model reports now, then follows it.
    void start();

    struct Client;
    struct Plug;

private:
    using Clock = std::chrono::steady_clock;

    struct Found
    {
        HidrawIdentity identity;
        std::string modelPath;
        unsigned port = 1; //!< its place in the model's list, from 1
    };

    void follow();
    //! Every controller the model reports now, in its order.
    std::vector<Found> probe();
    Plug *currentAt(const std::string &modelPath) const;
    void plugIn(const Found &found);
    void removeLocked(Plug &plug);
    bool drained(const Plug &plug) const;
    void reapClosedHandles(std::unique_lock<std::mutex> &lock);

    friend struct Callbacks;

    UMockdevTestbed *m_testbed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::unique_ptr<Plug>> m_plugs;
    //! The plug-ins that are not removed yet: one per controller at most.
    std::vector<Plug *> m_current;
    //! The most controllers the model reported at once: fewer plug-ins than
    //! that means one is away, and the model is asked until it is back.
    size_t m_expected = 0;
    unsigned m_plugCount = 0;
    bool m_stopping = false;
    std::thread m_follower;
};

} // namespace vornsim
