// vornsim-hidraw: runs a program under umockdev with the controller that the
// device model reports plugged in behind an emulated hidraw node, so that a
// program linked with the system's hidapi finds and drives it as it would a
// real one.

#include "sim/FaultPlan.h"
#include "sim/SimConfig.h"
#include "sim/hidraw/HidrawBridge.h"

#include <hidapi.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] = "usage: vornsim-hidraw [--socket PATH] -- COMMAND [ARGS...]\n"
                      "Runs COMMAND under umockdev with the emulated controller behind /dev/hidraw*.\n"
                      "The controller is the virtual one (VORN_SIM_* settings), or with --socket PATH\n"
                      "(or VORN_HID_SOCKET) the device model listening at PATH.\n";

volatile sig_atomic_t g_child = 0;

void forward(int signal)
{
    if (g_child > 0)
    {
        ::kill(g_child, signal);
    }
}

struct Arguments
{
    std::string socketPath;
    std::vector<char *> command; //!< null-terminated
};

bool parse(int argc, char **argv, Arguments &arguments)
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    {
        if (std::strcmp(argv[i], "--socket") == 0 && i + 1 < argc)
        {
            arguments.socketPath = argv[++i];
            continue;
        }
        return false;
    }
    if (i + 1 >= argc)
    {
        return false;
    }
    arguments.command.assign(argv + i + 1, argv + argc);
    arguments.command.push_back(nullptr);
    return true;
}

bool deniedByFaults()
{
    std::vector<std::string> ignored; // the virtual controller reports them itself
    const vornsim::FaultPlan plan = vornsim::FaultPlan::parse(vornsim::readEnvironment().faults, ignored);
    for (const vornsim::Fault &fault : plan.faults())
    {
        if (fault.kind == vornsim::FaultKind::Denied)
        {
            return true;
        }
    }
    return false;
}

std::string joined(const std::string &first, const char *rest, char separator)
{
    return rest && *rest ? first + separator + rest : first;
}

//! The environment the program runs in: umockdev's preload library (behind
//! the refusing one when access is denied), and the sanitizer runtime told
//! that it is not the first library loaded.
void prepareEnvironment(bool denied)
{
    std::string preload = "libumockdev-preload.so.0";
    if (denied)
    {
        preload = std::string(VORNSIM_DENIED_PRELOAD) + ":" + preload;
    }
    setenv("LD_PRELOAD", joined(preload, std::getenv("LD_PRELOAD"), ':').c_str(), 1);
    setenv("ASAN_OPTIONS", joined("verify_asan_link_order=0", std::getenv("ASAN_OPTIONS"), ':').c_str(), 1);
}

int run(const Arguments &arguments, bool denied)
{
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0)
    {
        std::fprintf(stderr, "vornsim-hidraw: cannot start %s: %s\n", arguments.command[0], std::strerror(errno));
        return 127;
    }
    if (child == 0)
    {
        // Ends with this program, whatever ends it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
        {
            _exit(127);
        }
        prepareEnvironment(denied);
        execvp(arguments.command[0], arguments.command.data());
        std::fprintf(stderr, "vornsim-hidraw: cannot run %s: %s\n", arguments.command[0], std::strerror(errno));
        _exit(127);
    }
    g_child = child;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    g_child = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char **argv)
{
    Arguments arguments;
    if (!parse(argc, argv, arguments))
    {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!arguments.socketPath.empty())
    {
        setenv("VORN_HID_SOCKET", arguments.socketPath.c_str(), 1);
    }
    for (int signal : { SIGINT, SIGTERM, SIGHUP })
    {
        std::signal(signal, forward);
    }

    UMockdevTestbed *testbed = umockdev_testbed_new();
    int status = 0;
    {
        vornsim::HidrawBridge bridge(testbed);
        bridge.start();
        status = run(arguments, deniedByFaults());
    }
    g_object_unref(testbed);
    hid_exit();
    return status;
}
