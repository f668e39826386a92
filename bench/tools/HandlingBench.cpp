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
#include "softbody/SceneConfig.h"

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
        Result<ModelFile> read = SceneBuilder::ReadSurface(path);
        PlacedSurface surface;
        if (!read || !surface.Place(*read, SceneOptions::kDefaultSize, path)) {
            state.SkipWithError("cannot read the model (is assimp-testmodels installed?)");
            return;
        }
        Result<CageStep> cage = SceneBuilder::BuildCage(surface, springs, path);
        Result<ControlParticles> controls =
            cage ? SceneBuilder::ChooseControls(cage->cage, path) : Result<ControlParticles>(
                                                                       InputError{path, 0, "no cage"});
        if (!controls) {
            state.SkipWithError("cannot build the cage");
            return;
        }
        Result<ConstantsStep> k = SceneBuilder::ChooseConstants(
            cage->cage, *controls, SceneOptions(), [](const std::string&) {});
        if (!k) {
            state.SkipWithError("no constants");
            return;
        }
        const Handling& h = k->feel;
        std::printf(
            "%-9s %-7d springs %8d particles %7zu k %-6s m %-9s sub-steps %3d retunes %d: "
            "travel %.2f turn %.2f give %.2f %% unrest %.2f %s\n",
            model.shape, springs, cage->cage.springCount, cage->cage.vertices.size(),
            k->stiffnessText.c_str(), k->massText.c_str(), k->handling.body.subSteps, k->retunes,
            HandlingCheck::TravelRatio(h), HandlingCheck::TurnRatio(h), 100.0 * h.give, h.unrest,
            k->stable ? (HandlingCheck::HandlesLikeTheSample(h) ? "ok" : "OUTSIDE") : "UNSTABLE");
        std::fflush(stdout);
    }
}

void BM_SampleHandling(benchmark::State& state) {
    for (auto _ : state) {
        Result<SceneConfig> config = ReadSceneConfig("config.txt", WOBBLE_SOURCE_DIR "/assets");
        Result<TetModel> model = ReadTetFile("body.tet", WOBBLE_SOURCE_DIR "/assets");
        if (!config || !model) {
            state.SkipWithError("cannot read the sample");
            return;
        }
        int controls[8];
        for (int k = 0; k < 8; ++k)
            controls[k] = static_cast<int>(config->points[k]);
        const Handling h = HandlingCheck::Measure(*model, config->stiffness, config->mass,
                                                  BodyHandling(), controls);
        std::printf("sample: travel %.3f turn %.4f give %.2f %% unrest %.3f\n", h.travel, h.turn,
                    100.0 * h.give, h.unrest);
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
