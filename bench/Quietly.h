#pragma once
// Runs a piece of a benchmark with standard output sent to /dev/null: the
// loaders' console lines would clutter the report.

#include <cstdio>

namespace wobble::bench {

// Calls `work` with standard output sent to /dev/null; returns its result.
template <typename Work>
auto Quietly(Work&& work) {
    std::fflush(stdout);
    FILE* console = stdout;
    stdout = std::fopen("/dev/null", "w");
    struct Restore {
        FILE* console;
        ~Restore() {
            std::fclose(stdout);
            stdout = console;
        }
    } restore{console};
    return work();
}

}  // namespace wobble::bench
