// Whole frames of the program, headless, as a person would run it, beside
// the drawing floor: draw_floor (bench/app/DrawFloor.cpp), a plain GL program
// with no code of ours, drawing the same surface file and a water grid
// through client arrays with nothing else. Two scenes: the sample scene, and
// a generated body near the spring limit dressed in 1 000 000 triangles.
// Each is measured twice: in this process, frame by frame, with where the
// time goes (BM_Frame); and as programs of their own, the program and the
// floor taking turns, each frame's cost and page faults measured the same
// way for both (BM_FrameAgainstFloor).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "GeneratedScene.h"
#include "ProgramRun.h"
#include "TestFiles.h"
#include "app/Application.h"
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

// A replay that holds the forward key from the first frame on, as BM_Frame does.
const std::string& ForwardReplay() {
    static test::ScratchDir dir;
    static const std::string path = dir.Write("forward.txt", "1 down Up\n");
    return path;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The program (wobble SCENE --headless --frames N, forward held) and the
// floor (draw_floor SURFACE N --arrays) in turns, each turn one frame cost of
// each, so that both meet the same load. The iteration time is the
// program's frame; counters: the floor's frame, the program's rate as a
// fraction of the floor's (floor / frame: 1 is the floor's speed) as the
// median, least and most of the turns, the same of processor time a frame
// (all threads; less sensitive to other work on the machine), and each
// one's page faults a frame.
void BM_FrameAgainstFloor(benchmark::State& state) {
    const int64_t which = state.range(0);
    const std::string folder = SceneFolder(which);
    const std::string surface = SurfaceFile(which);
    // Ten frames to start with, then about ten seconds of frames.
    constexpr int kFirstFrames = 10;
    const int frames = which == 0 ? 400 : 30;
    const FrameCommand program = [&](int n) {
        return std::vector<std::string>{WOBBLE_PROGRAM,    folder,     "--headless",   "--frames",
                                        std::to_string(n), "--replay", ForwardReplay()};
    };
    const FrameCommand floor = [&](int n) {
        return std::vector<std::string>{DRAW_FLOOR_PROGRAM, surface, std::to_string(n), "--arrays"};
    };
    std::vector<double> rates, cpuRates, frameFaults, floorFaults, floorSeconds;
    for (auto _ : state) {
        const std::optional<ChildCost> ours = CostPerFrame(program, kFirstFrames, frames);
        const std::optional<ChildCost> plain = CostPerFrame(floor, kFirstFrames, frames);
        if (!ours || !plain || ours->seconds <= 0.0 || plain->seconds <= 0.0 ||
            ours->cpuSeconds <= 0.0) {
            state.SkipWithError("a run failed or took no time");
            return;
        }
        state.SetIterationTime(ours->seconds);
        rates.push_back(plain->seconds / ours->seconds);
        cpuRates.push_back(plain->cpuSeconds / ours->cpuSeconds);
        frameFaults.push_back(ours->faults);
        floorFaults.push_back(plain->faults);
        floorSeconds.push_back(plain->seconds);
    }
    state.counters["floor_ms"] = 1e3 * Median(floorSeconds);
    state.counters["rate_of_floor"] = Median(rates);
    state.counters["rate_least"] = *std::min_element(rates.begin(), rates.end());
    state.counters["rate_most"] = *std::max_element(rates.begin(), rates.end());
    state.counters["cpu_rate_of_floor"] = Median(cpuRates);
    state.counters["faults"] = Median(frameFaults);
    state.counters["floor_faults"] = Median(floorFaults);
}
BENCHMARK(BM_FrameAgainstFloor)
    ->ArgName("scene")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();

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

BENCHMARK_MAIN();
