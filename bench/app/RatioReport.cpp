#include "RatioReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace wobble::bench {

namespace {

// The console report, remembering each benchmark's time per iteration in
// seconds: its median when there are repetitions, otherwise its one run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    medians_[name] = seconds;
            } else {
                single_[name] = seconds;
            }
        }
    }

    // The median, or the last single run; negative when it did not run.
    double Seconds(const std::string& name) const {
        if (auto m = medians_.find(name); m != medians_.end())
            return m->second;
        if (auto s = single_.find(name); s != single_.end())
            return s->second;
        return -1.0;
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> single_;
};

}  // namespace

int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const RatioPair& pair : pairs) {
        const double top = reporter.Seconds(pair.numerator);
        const double bottom = reporter.Seconds(pair.denominator);
        if (top < 0.0 || bottom <= 0.0)
            continue;
        std::printf("%-44s %9.2f ms / %9.2f ms = %.3f\n", pair.label.c_str(), top * 1e3,
                    bottom * 1e3, top / bottom);
    }
    benchmark::Shutdown();
    return 0;
}

}  // namespace wobble::bench
