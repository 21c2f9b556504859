#include "console/interruption.h"

#include "console/consoletexts.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace interruption {

namespace {

constexpr int kMaxTargets = 256;
constexpr size_t kStopTextSize = 4096;

std::atomic<int> g_count{ 0 };
std::atomic<int> g_phase{ static_cast<int>(Phase::Safe) };
std::atomic<bool> g_speak{ false };
// Filled before the handler may read them, never while it can.
char g_stopText[kStopTextSize] = {};
size_t g_stopLength = 0;
std::atomic<int> g_stopStatus{ 1 };
pid_t g_targets[kMaxTargets] = {};
std::atomic<int> g_targetCount{ 0 };

void say(const char *text)
{
    if (g_speak)
    {
        // Nothing can be done about a failed write to standard error here.
        const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
        static_cast<void>(written);
    }
}

void onSignal(int)
{
    const int seen = ++g_count;
    const int targets = g_targetCount;
    for (int i = 0; i < targets; ++i)
    {
        ::kill(g_targets[i], SIGINT);
    }
    if (static_cast<Phase>(g_phase.load()) == Phase::Safe)
    {
        if (targets == 0)
        {
            if (g_stopLength > 0)
            {
                // The run ends whether or not the text could be written.
                const ssize_t written = ::write(STDOUT_FILENO, g_stopText, g_stopLength);
                static_cast<void>(written);
            }
            _exit(g_stopStatus);
        }
        return;
    }
    if (seen >= 3)
    {
        // A step that never ends (a controller that stopped answering) must
        // not hold the terminal for ever.
        say(consoletexts::kInterruptAbandoned);
        _exit(g_stopStatus);
    }
    say(seen == 1 ? consoletexts::kInterruptFinishing : consoletexts::kInterruptStopping);
}

} // namespace

void install(bool speak)
{
    g_speak = speak;
    g_count = 0;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // A read of the engine's device continues after the handler.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void setPhase(Phase phase)
{
    g_phase = static_cast<int>(phase);
}

void setStopText(const QByteArray &text, int status)
{
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    g_stopLength = std::min(kStopTextSize, static_cast<size_t>(text.size()));
    std::memcpy(g_stopText, text.constData(), g_stopLength);
    g_stopStatus = status;
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void setForwardTargets(const pid_t *pids, int count)
{
    g_targetCount = 0;
    const int kept = std::min(count, kMaxTargets);
    std::copy(pids, pids + kept, g_targets);
    g_targetCount = kept;
}

int count()
{
    return g_count;
}

} // namespace interruption
