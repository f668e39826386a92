#include "ChildRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>

extern char** environ;

namespace wobble::bench {

std::optional<ChildCost> RunChild(const std::vector<std::string>& args) {
    if (args.empty())
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    rusage usage = {};
    if (wait4(child, &status, 0, &usage) != child)
        return std::nullopt;
    ChildCost cost;
    cost.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return t.tv_sec + 1e-6 * t.tv_usec; };
    cost.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    cost.faults = static_cast<double>(usage.ru_minflt + usage.ru_majflt);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return cost;
}

std::optional<ChildCost> CostPerFrame(const FrameCommand& command, int first, int frames) {
    const std::optional<ChildCost> one = RunChild(command(first));
    const std::optional<ChildCost> more = RunChild(command(first + frames));
    if (!one || !more || frames <= 0)
        return std::nullopt;
    ChildCost cost;
    cost.seconds = (more->seconds - one->seconds) / frames;
    cost.cpuSeconds = (more->cpuSeconds - one->cpuSeconds) / frames;
    cost.faults = (more->faults - one->faults) / frames;
    return cost;
}

}  // namespace wobble::bench
