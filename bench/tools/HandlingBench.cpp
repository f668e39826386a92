// How built bodies handle against the sample, over five models of different
// shapes at three details: each model is built as wobble-scene builds it and
// driven as HandlingCheck drives it. Prints, per model and detail, the body's
// size, its chosen sub-steps, its travel and turn as ratios of the sample's,
// how far its shape gives and whether it settles. Then the sample's own
// figures, measured the same way. One benchmark run per model and detail
// (its time is the whole build and measurement).
//
//   bench/bench_handling [--benchmark_filter=coarse]

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "builder/HandlingCheck.h"
#include "builder/SceneBuilder.h"
#include "builder/SceneOptions.h"

namespace {

using namespace wobble;
using namespace wobble::builder;

struct Model {
    const char* shape;
    const char* file;  // under /usr/share/assimp/models (Debian package assimp-testmodels)
};
const Model kModels[] = {
    {"long", "STL/Spider_binary.stl"},
    {"round", "PLY/Wuson.ply"},
    {"flat", "3DS/fels.3ds"},
    {"tall", "Collada/duck.dae"},
    {"two parts", "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb"},
};

void BM_BuiltBodyHandling(benchmark::State& state, const Model& model, int springs) {
    for (auto _ : state) {
        const std::string path = std::string("/usr/share/assimp/models/") + model.file;
        Result<BuiltScene> built = SceneBuilder::Build(path, SceneOptions::kDefaultSize, springs);
        if (!built) {
            state.SkipWithError(built.error().message.c_str());
            return;
        }
        const ConstantsStep& k = built->constants;
        const Handling& h = k.feel;
        std::printf(
            "%-9s %-7d springs %8d particles %7zu k %-6s m %-9s sub-steps %3d retunes %d: "
            "travel %.2f turn %.2f give %.1f %% unrest %.2f %s\n",
            model.shape, springs, built->cage.cage.springCount, built->cage.cage.vertices.size(),
            k.stiffnessText.c_str(), k.massText.c_str(), k.handling.body.subSteps, k.retunes,
            HandlingCheck::TravelRatio(h), HandlingCheck::TurnRatio(h), 100.0 * h.give, h.unrest,
            k.stable ? (HandlingCheck::HandlesLikeTheSample(h) ? "ok" : "OUTSIDE") : "UNSTABLE");
        std::fflush(stdout);
    }
}

void BM_SampleHandling(benchmark::State& state) {
    for (auto _ : state) {
        Result<Handling> h = HandlingCheck::MeasureScene(WOBBLE_SOURCE_DIR "/assets");
        if (!h) {
            state.SkipWithError("cannot read the sample");
            return;
        }
        std::printf("sample: travel %.3f turn %.4f give %.1f %% unrest %.3f\n", h->travel, h->turn,
                    100.0 * h->give, h->unrest);
    }
}
BENCHMARK(BM_SampleHandling)->Iterations(1)->Unit(benchmark::kMillisecond);

const int kRegistered = [] {
    for (const SceneOptions::DetailLevel& detail : SceneOptions::kDetailLevels) {
        if (detail.springs > 250000)
            continue;
        for (const Model& model : kModels) {
            const std::string name =
                std::string("BM_BuiltBodyHandling/") + detail.name + "/" + model.shape;
            benchmark::RegisterBenchmark(name.c_str(), BM_BuiltBodyHandling, model, detail.springs)
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
        }
    }
    return 0;
}();

}  // namespace
BENCHMARK_MAIN();
