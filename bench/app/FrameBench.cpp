// Whole frames of the program, headless, on the sample scene: drawing
// included, as a person would run it. Reports frames per second and where a
// frame's time goes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Frames of a model's scene, with its scene built again and again beside
// them (argument 1) or not (0): what a drop on the window costs the frames
// while wobble-scene runs. The builder runs at a lower priority, so the
// frame rate should stay about the same; half of it is the least allowed.
void BM_ModelSceneFrame(benchmark::State& state) {
    const bool building = state.range(0) != 0;
    char cache[] = "/tmp/wobble-bench-XXXXXX";
    if (mkdtemp(cache) == nullptr) {
        state.SkipWithError("no scratch folder");
        return;
    }
    // The cache is the benchmark's own; set only while a drop reads where it
    // is, since the GL driver keeps its own cache under the same variable.
    auto drop = [&](Application& app, bool wait) {
        const char* old = std::getenv("XDG_CACHE_HOME");
        const std::string kept = old != nullptr ? old : "";
        setenv("XDG_CACHE_HOME", cache, 1);
        app.HandleDrop(WOBBLE_SOURCE_DIR "/tools/builder/example/ring.obj", wait);
        if (old != nullptr)
            setenv("XDG_CACHE_HOME", kept.c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    };
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", (std::string(WOBBLE_SCENE_FOLDER) + ":" + path).c_str(), 1);

    AppOptions options;
    options.headless = true;
    options.sceneDir = WOBBLE_SOURCE_DIR "/assets";
    options.rebuild = true;  // every drop builds
    auto app =
        std::make_unique<Application>(800, 600, 32, std::make_unique<SdlWindow>(true), options);
    std::fflush(stdout);
    FILE* console = stdout;
    stdout = std::fopen("/dev/null", "w");  // the loaders' and the builder's lines
    bool ok = app->Initialize();
    long long built = 0;
    if (ok) {
        drop(*app, true);  // the model's scene, for both measurements
        app->keys.Press(vk::kUp);
        if (building)
            drop(*app, false);
        for (auto _ : state) {
            const Scene* shown = app->scene.get();
            const long long before = app->framesRun;
            while (app->framesRun == before)
                app->RunTurn();
            // Built and swapped in: built again at once, beside the frames.
            if (building && app->scene.get() != shown) {
                ++built;
                drop(*app, false);
            }
        }
    }
    std::fclose(stdout);
    stdout = console;
    if (!ok)
        state.SkipWithError("the sample scene did not start");
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
    state.counters["scenes_built"] = static_cast<double>(built);
    app.reset();
    std::filesystem::remove_all(cache);
    setenv("PATH", path.c_str(), 1);
}
BENCHMARK(BM_ModelSceneFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
