#pragma once

#include "sim_test_support.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace simtest {

//! A tiny device model behind a Unix socket, speaking the bridge's frames:
//! for every connection it announces itself, then answers each written
//! report with the reports its script returns.
class ScriptedDevice
{
public:
    struct Script
    {
        uint16_t vendorId = kVid;
        uint16_t productId = kBlackPid;
        std::string serial;
        Bytes firstFrame;         //!< sent instead of the identity when not empty
        std::vector<Bytes> greeting; //!< input reports sent right after the identity
        bool closeAfterGreeting = false;
        //! Answers one output report; the connection closes after the
        //! answers when it sets the flag.
        std::function<std::vector<Bytes>(const Bytes &, bool &close)> onWrite;
    };

    ScriptedDevice(const std::string &socketPath, Script script);
    ~ScriptedDevice();

    std::vector<std::string> paths() const;  //!< 'P' frames received
    std::vector<Bytes> written() const;      //!< 'W' frames received

private:
    void serve();
    void talk(int fd);

    std::string m_socketPath;
    Script m_script;
    int m_listener = -1;
    std::atomic<bool> m_stop{ false };
    mutable std::mutex m_mutex;
    std::vector<std::string> m_paths;
    std::vector<Bytes> m_written;
    std::thread m_thread;
};

//! One frame of the bridge protocol.
Bytes bridgeFrame(char type, const Bytes &payload);

} // namespace simtest
