// Whole frames of the program, headless, as a person would run it, beside
// the drawing floor (bench/app/DrawYardstick.h): the same surface and water
// through client arrays with no simulation. Two scenes: the sample scene,
// and a generated body near the spring limit dressed in 1 000 000 triangles.
// The ratios of frame to floor are printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "DrawYardstick.h"
#include "GeneratedScene.h"
#include "ProgramRun.h"
#include "RatioReport.h"
#include "app/Application.h"
#include "render/FrameRenderer.h"
#include "math/ParallelFor.h"

namespace wobble::bench {
namespace {

// The program on scene `which`; null when it did not start.
std::unique_ptr<Application> StartOnScene(int64_t which) {
    AppOptions options;
    options.sceneDir = SceneFolder(which);
    return StartProgram(options);
}

// Frames with the forward key held; reports where a frame's time goes.
void BM_Frame(benchmark::State& state) {
    std::unique_ptr<Application> app = StartOnScene(state.range(0));
    if (app == nullptr) {
        state.SkipWithError("the scene did not start");
        return;
    }
    RunFrames(state, *app);
}
BENCHMARK(BM_Frame)->Apply(OnBothScenes);

// The same scene's second frame drawn over and over through client arrays
// (the first has given the camera the body's frame to follow).
void BM_DrawFloor(benchmark::State& state) {
    std::unique_ptr<Application> app = StartOnScene(state.range(0));
    if (app == nullptr) {
        state.SkipWithError("the scene did not start");
        return;
    }
    while (app->framesRun() < 1)
        app->RunTurn();
    const CameraView view = app->camera().View(FrameOf(app->scene().body));
    app->scene().Step();
    app->scene().DeformSurface();
    DrawYardstick yardstick(app->scene());
    if (!yardstick.HasFences())
        state.SetLabel("no GL_ARB_sync: every frame finished");
    for (auto _ : state)
        yardstick.DrawFrame(view, kLightPosition);
}
BENCHMARK(BM_DrawFloor)->Apply(OnBothScenes);

// The per-frame surface work alone on the generated scene: every vertex
// carried along, every face normal and corner refreshed, on 1 or 2 threads.
void BM_DeformMillionTriangles(benchmark::State& state) {
    Scene scene;
    if (!Quietly([&] { return scene.Load(MillionTriangleScene().folder).ok(); })) {
        state.SkipWithError("the scene did not load");
        return;
    }
    const int threads = ParallelThreads();
    SetParallelThreads(static_cast<int>(state.range(0)));
    scene.DeformSurface();  // the drawing arrays' first touch
    for (auto _ : state) {
        scene.DeformSurface();
        benchmark::ClobberMemory();
    }
    SetParallelThreads(threads);
}
BENCHMARK(BM_DeformMillionTriangles)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

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
    options.sceneDir = WOBBLE_SOURCE_DIR "/assets";
    options.rebuild = true;  // every drop builds
    std::unique_ptr<Application> app = StartProgram(options);
    long long built = 0;
    if (app != nullptr) {
        // The builder's lines sent nowhere as the loaders' are.
        Quietly([&] {
            drop(*app, true);  // the model's scene, for both measurements
            app->keys().Press(vk::kUp);
            if (building)
                drop(*app, false);
            for (auto _ : state) {
                const Scene* shown = &app->scene();
                const long long before = app->framesRun();
                while (app->framesRun() == before)
                    app->RunTurn();
                // Built and swapped in: built again at once, beside the frames.
                if (building && &app->scene() != shown) {
                    ++built;
                    drop(*app, false);
                }
            }
            return 0;
        });
    } else {
        state.SkipWithError("the sample scene did not start");
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["scenes_built"] = static_cast<double>(built);
    app.reset();
    std::filesystem::remove_all(cache);
    setenv("PATH", path.c_str(), 1);
}
BENCHMARK(BM_ModelSceneFrame)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->UseRealTime();

}  // namespace
}  // namespace wobble::bench

int main(int argc, char** argv) {
    return wobble::bench::RunBenchmarksWithRatios(
        argc, argv,
        {{"frame / floor, sample scene", "BM_Frame/scene:0", "BM_DrawFloor/scene:0"},
         {"frame / floor, 1M triangles near the cap", "BM_Frame/scene:1", "BM_DrawFloor/scene:1"}});
}
