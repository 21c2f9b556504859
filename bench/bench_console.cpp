// The console updater's goals, measured on kelvo-updater-sim --cli at
// full-speed device timing: one controller's update next to the device's
// own time (erase, write and reset), and --all with 1, 4 and 8 controllers:
// the wall time of each and the processor time per controller. Each run's
// logs go to its own folder, removed after.
//
// Usage: bench_console PROGRAM [ROUNDS]. Figures go to standard output.

#include "bench/device_floor.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Timed
{
    int status = -1;
    double wallMs = 0;
    double cpuMs = 0; //!< the program and every process it waited for
    std::string output;
    //! When each output line arrived, from the start.
    std::vector<std::pair<double, std::string>> lines;
};

//! Runs @a program with @a arguments and extra environment @a settings,
//! reading its standard output line by line as it comes.
Timed run(const std::string &program, const std::vector<std::string> &arguments,
          const std::vector<std::string> &settings)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry)
    {
        const std::string text = *entry;
        if (text.rfind("VORN_SIM_", 0) != 0 && text.rfind("DISPLAY=", 0) != 0 &&
            text.rfind("QT_QPA_PLATFORM=", 0) != 0)
        {
            environment.push_back(text);
        }
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    std::vector<char *> envp;
    for (std::string &text : environment)
    {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> words{ program };
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
    {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
    {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);

    Timed timed;
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
    {
        std::perror("posix_spawn");
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string pending;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipeFds[0], buffer, sizeof(buffer))) > 0;)
    {
        const double at = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        pending.append(buffer, static_cast<size_t>(count));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
        {
            timed.lines.emplace_back(at, pending.substr(0, end));
            timed.output += pending.substr(0, end + 1);
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    timed.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    timed.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    timed.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return timed;
}

//! When the first event line of @a event for @a step arrived, or -1.
double arrival(const Timed &timed, const std::string &event, const std::string &step)
{
    for (const auto &line : timed.lines)
    {
        if (line.second.find("\"event\":\"" + event + "\"") != std::string::npos &&
            line.second.find("\"step\":\"" + step + "\"") != std::string::npos)
        {
            return line.first;
        }
    }
    return -1;
}

std::string freshDirectory()
{
    char pattern[] = "/tmp/bench-console-XXXXXX";
    if (!::mkdtemp(pattern))
    {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: bench_console PROGRAM [ROUNDS]\n");
        return 2;
    }
    const std::string program = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const DeviceFloor floor = deviceFloor();
    const double floorMs = floor.erase + floor.write + floor.reset;
    std::printf("device floor: erase %.0f + write %.0f + reset %.0f = %.0f ms\n", floor.erase, floor.write,
                floor.reset, floorMs);

    bool met = true;
    for (int round = 1; round <= rounds; ++round)
    {
        const std::string dir = freshDirectory();
        const Timed one = run(program, { "--cli", "--yes", "--json" },
                              { "VORN_SIM_TIMING=full-speed", "VORN_SIM_FLASH=" + dir + "/one.bin",
                                "XDG_STATE_HOME=" + dir + "/state" });
        const double erase = arrival(one, "step-started", "erase");
        const double done = arrival(one, "step-ended", "reset");
        const double update = done - erase;
        const double over = (update / floorMs - 1) * 100;
        met = met && one.status == 0 && erase >= 0 && done >= 0 && over <= 2.0;
        std::printf("round %d: one controller: exit %d, erase start to reset end %.0f ms (%+.2f %% over the floor), "
                    "whole run %.0f ms, CPU %.0f ms\n",
                    round, one.status, update, over, one.wallMs, one.cpuMs);

        double wallOfOne = 0;
        for (int controllers : { 1, 4, 8 })
        {
            const Timed all = run(program, { "--cli", "--all", "--yes" },
                                  { "VORN_SIM_TIMING=full-speed", "VORN_SIM_CONTROLLERS=" + std::to_string(controllers),
                                    "VORN_SIM_FLASH=" + dir + "/all" + std::to_string(controllers),
                                    "XDG_STATE_HOME=" + dir + "/state" });
            wallOfOne = controllers == 1 ? all.wallMs : wallOfOne;
            const double slower = (all.wallMs / wallOfOne - 1) * 100;
            met = met && all.status == 0 && (controllers == 1 || slower <= 10.0);
            std::printf("round %d: --all with %d: exit %d, wall %.0f ms (%+.2f %% against 1), CPU per controller "
                        "%.0f ms\n",
                        round, controllers, all.status, all.wallMs, slower, all.cpuMs / controllers);
        }
        std::string remove = "rm -rf '" + dir + "'";
        if (std::system(remove.c_str()) != 0)
        {
            std::fprintf(stderr, "bench_console: cannot remove %s\n", dir.c_str());
        }
    }
    std::printf("goals (one within 2 %% of the floor, 8 within 10 %% of 1): %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
