// Loading and stepping bodies near the spring limit, beside a structure-of-
// arrays yardstick that does the same arithmetic as plainly as possible.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "LatticeModel.h"
#include "Quietly.h"
#include "SteeredBody.h"
#include "TestFiles.h"
#include "scene/Scene.h"
#include "softbody/SceneConfig.h"
#include "softbody/SoftBody.h"

namespace wobble::bench {
namespace {

// A box of 10 x 10 x 12 cubes: 9452 springs, just under the limit of 10000.
test::LatticeModel NearCapModel() {
    test::LatticeModel m;
    m.cubesX = 12;
    m.cubesY = 10;
    m.cubesZ = 10;
    m.spacing = 2.0f;
    return m;
}

// Loads the model file at `path` quietly.
void LoadQuietly(SoftBody& body, const std::string& path, float stiffness, float mass) {
    if (!Quietly([&] { return body.LoadTetFile(path, stiffness, mass).ok(); }))
        throw std::runtime_error("could not load " + path);
}

// Loads the model's file over and over; reports bytes per second.
void TimeLoading(benchmark::State& state, const test::LatticeModel& model) {
    test::ScratchDir dir;
    const std::string text = model.Text();
    const std::string path = dir.Write("body.tet", text);
    int springs = 0;
    for (auto _ : state) {
        SoftBody body;
        LoadQuietly(body, path, 1.0f, 1.0f);
        springs = body.springCount;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
    state.counters["springs"] = springs;
}

void BM_LoadTetFile(benchmark::State& state) {
    test::LatticeModel m;
    m.cubesX = static_cast<int>(state.range(0));
    m.cubesY = m.cubesZ = 4;
    TimeLoading(state, m);
}
// Sizes from a tenth of the limit to just under it: time per byte stays flat.
BENCHMARK(BM_LoadTetFile)->Arg(6)->Arg(24)->Arg(48)->Arg(70)->Unit(benchmark::kMicrosecond);

void BM_LoadTetFileNearCap(benchmark::State& state) {
    TimeLoading(state, NearCapModel());
}
BENCHMARK(BM_LoadTetFileNearCap)->Unit(benchmark::kMicrosecond);

// Nanoseconds per spring, per step.
// The near-cap body, steered by its end corners.
void LoadSteeredNearCap(SoftBody& body) {
    test::ScratchDir dir;
    const test::LatticeModel m = NearCapModel();
    LoadQuietly(body, dir.Write("body.tet", m.Text()), 1.0f, 1.0f);
    SteerByEnds(body, m);
}

void BM_StepNearCap(benchmark::State& state) {
    SoftBody body;
    LoadSteeredNearCap(body);
    for (auto _ : state) {
        body.Step(0.05f);
        benchmark::ClobberMemory();
    }
    ReportPerSpring(state, body.springCount);
}
BENCHMARK(BM_StepNearCap)->Unit(benchmark::kMicrosecond);

void BM_StepYardstickNearCap(benchmark::State& state) {
    SoftBody body;
    LoadSteeredNearCap(body);
    TimeYardstick(state, body, 20);
}
BENCHMARK(BM_StepYardstickNearCap)->Unit(benchmark::kMicrosecond);

// The sample scene's body, over its water, under full thrust: the step as the
// program runs it, displacement included.
void BM_StepSampleBody(benchmark::State& state) {
    Scene scene;
    if (!Quietly([&] { return scene.Load(WOBBLE_SOURCE_DIR "/assets").ok(); })) {
        state.SkipWithError("the sample scene did not load");
        return;
    }
    SoftBody& body = scene.body;
    body.controller.forwardThrust = 30.0f;
    for (auto _ : state) {
        body.Step(0.05f);
        scene.water.Displace(body.controller.centre);
        benchmark::ClobberMemory();
    }
    ReportPerSpring(state, body.springCount);
}
BENCHMARK(BM_StepSampleBody)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
