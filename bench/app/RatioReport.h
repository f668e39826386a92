#pragma once
// A benchmark program's main that also prints, after the usual report, the
// ratio of pairs of benchmarks measured in the same run: real time per
// iteration, the medians when the run has repetitions (--benchmark_repetitions).

#include <string>
#include <vector>

namespace wobble::bench {

struct RatioPair {
    std::string label;        // printed before the ratio
    std::string numerator;    // a benchmark's name with its arguments, "BM_Frame/scene:1"
    std::string denominator;  // the same for the yardstick
};

// Runs the benchmarks the command line selects, then prints one line per
// pair whose both sides ran. Returns the program's exit status.
int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs);

}  // namespace wobble::bench
