// Bodies built by wobble-scene from a real model (the round Wuson of the
// Debian package assimp-testmodels) at the fine and finest details, with the
// sub-steps and damping the builder chooses for them: whole frames of the
// program headless, under their own surface, with the forward key held; and
// one body step of the finest on one thread and on two, side by side.
// Building takes a while (the cage search); the builder's proof of the
// constants, which takes minutes on these bodies, is left out.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "ProgramRun.h"
#include "TestFiles.h"
#include "app/Application.h"
#include "builder/SceneBuilder.h"
#include "builder/SceneOptions.h"
#include "math/ParallelFor.h"
#include "math/VecMath.h"
#include "softbody/HandlingFile.h"
#include "softbody/SceneConfig.h"

namespace wobble::bench {
namespace {

using builder::SceneBuilder;
using builder::SceneOptions;

constexpr const char* kModel = "/usr/share/assimp/models/PLY/Wuson.ply";

// The scene folder of the model built at detail level `level`, made once;
// "" when it could not be made.
std::string BuiltScene(int level) {
    static std::map<int, std::unique_ptr<test::ScratchDir>> dirs;
    static std::map<int, std::string> folders;
    if (auto found = folders.find(level); found != folders.end())
        return found->second;
    const int springs = SceneOptions::kDetailLevels[level].springs;
    Result<builder::BuiltScene> built =
        SceneBuilder::Build(kModel, SceneOptions::kDefaultSize, springs, false);
    if (!built)
        return "";
    auto dir = std::make_unique<test::ScratchDir>();
    Result<std::string> folder = SceneBuilder::WriteScene(
        dir->Path("scene"), built->cage.cage, built->surface, built->controls, built->constants);
    if (!folder)
        return "";
    std::printf("%s: %d springs, %zu particles, %d sub-steps\n",
                SceneOptions::kDetailLevels[level].name, built->cage.cage.springCount,
                built->cage.cage.vertices.size(), built->constants.handling.body.subSteps);
    dirs[level] = std::move(dir);
    return folders[level] = *folder;
}

void BM_BuiltBodyFrame(benchmark::State& state) {
    const std::string folder = BuiltScene(static_cast<int>(state.range(0)));
    if (folder.empty()) {
        state.SkipWithError("the model did not build (is assimp-testmodels installed?)");
        return;
    }
    RunSceneFrames(state, folder, [&](const Scene& scene) {
        state.counters["sub_steps"] = scene.body.handling.subSteps;
    });
}
// 2: fine (250 000 springs), 3: finest (1 000 000).
BENCHMARK(BM_BuiltBodyFrame)
    ->DenseRange(2, 3)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->UseRealTime();

// One step of the finest body (one sub-step of its frame) on `threads` threads.
void BM_FinestBodyStep(benchmark::State& state) {
    const std::string folder = BuiltScene(3);
    if (folder.empty()) {
        state.SkipWithError("the model did not build (is assimp-testmodels installed?)");
        return;
    }
    // The thread count first: the body prepares its springs' pass for it
    // when it loads, as the program's body does.
    const int threads = ParallelThreads();
    SetParallelThreads(static_cast<int>(state.range(0)));
    SoftBody body;
    Result<SceneHandling> handling = ReadHandlingFile(folder);
    if (!handling || !Quietly([&] { return LoadConfig("config.txt", body, folder).ok(); })) {
        SetParallelThreads(threads);
        state.SkipWithError("the scene did not load");
        return;
    }
    body.handling = handling->body;
    body.controller.forwardThrust = 30.0f;
    const float dt = 0.05f / static_cast<float>(body.handling.subSteps);
    for (auto _ : state) {
        body.Step(dt);
        benchmark::ClobberMemory();
    }
    SetParallelThreads(threads);
    state.counters["springs"] = body.springCount;
}
BENCHMARK(BM_FinestBodyStep)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
