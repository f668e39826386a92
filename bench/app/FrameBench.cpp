// Whole frames of the program, headless, on the sample scene: drawing
// included, as a person would run it. Reports frames per second and where a
// frame's time goes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Application.h"
#include "platform/SdlWindow.h"

namespace wobble::bench {
namespace {

// Runs frames with the forward key held, so that thrust, displacement and
// waves all take part, and sums the parts of each frame.
void BM_SampleSceneFrame(benchmark::State& state) {
    char previous[PATH_MAX];
    if (getcwd(previous, sizeof previous) == nullptr || chdir(WOBBLE_SOURCE_DIR "/assets") != 0) {
        state.SkipWithError("cannot enter the sample scene folder");
        return;
    }
    AppOptions options;
    options.headless = true;
    auto app =
        std::make_unique<Application>(800, 600, 32, std::make_unique<SdlWindow>(true), options);
    std::fflush(stdout);
    FILE* console = stdout;
    stdout = std::fopen("/dev/null", "w");  // the loaders' lines would clutter the report
    const bool ok = app->Initialize();
    std::fclose(stdout);
    stdout = console;
    if (!ok) {
        state.SkipWithError("the sample scene did not start");
        return;
    }
    app->keys.Press(vk::kUp);

    FrameTimings sum;
    long long frames = 0;
    for (auto _ : state) {
        const long long before = app->framesRun;
        while (app->framesRun == before)
            app->RunTurn();
        sum.bodyStep += app->timings.bodyStep;
        sum.waterStep += app->timings.waterStep;
        sum.surface += app->timings.surface;
        sum.drawing += app->timings.drawing;
        sum.frame += app->timings.frame;
        ++frames;
    }
    const double total = sum.frame;
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["body_step_pct"] = 100.0 * sum.bodyStep / total;
    state.counters["water_step_pct"] = 100.0 * sum.waterStep / total;
    state.counters["surface_pct"] = 100.0 * sum.surface / total;
    state.counters["drawing_pct"] = 100.0 * sum.drawing / total;
    state.counters["swap_and_rest_pct"] =
        100.0 * (total - sum.bodyStep - sum.waterStep - sum.surface - sum.drawing) / total;
    state.counters["simulation_pct"] = 100.0 * (sum.bodyStep + sum.waterStep + sum.surface) / total;
    app.reset();
    if (chdir(previous) != 0)
        state.SkipWithError("cannot return to the working folder");
}
BENCHMARK(BM_SampleSceneFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
