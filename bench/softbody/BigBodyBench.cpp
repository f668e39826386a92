// Bodies past the old spring limit: generated boxes of about 10 000, 50 000,
// 250 000 and 1 000 000 springs. The step's time per spring should stay
// about flat as the body outgrows the caches; the yardstick beside it does
// the same arithmetic on plain arrays, so the gap between the two is what
// the body's layout costs. Loading is timed too: it should grow linearly.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "LatticeModel.h"
#include "Quietly.h"
#include "SteeredBody.h"
#include "TestFiles.h"
#include "softbody/SoftBody.h"

namespace wobble::bench {
namespace {

// Boxes of cubes, six tetras each, about 7 springs a cube.
test::LatticeModel Box(int index) {
    static const int kCubes[][3] = {
        {12, 10, 10},  //     9 452 springs,   1 573 particles,   7 200 tetras
        {19, 19, 19},  //    51 319 springs,   8 000 particles,  41 154 tetras
        {34, 32, 32},  //   253 410 springs,  38 115 particles, 208 896 tetras
        {52, 52, 52},  // 1 008 748 springs, 148 877 particles, 843 648 tetras
    };
    test::LatticeModel m;
    m.cubesX = kCubes[index][0];
    m.cubesY = kCubes[index][1];
    m.cubesZ = kCubes[index][2];
    m.spacing = 2.0f;
    return m;
}

// Builds the box body, steered by its end corners under forward and right
// thrust, and lets it settle into motion for a few steps.
bool MakeSteeredBox(SoftBody& body, const test::LatticeModel& m) {
    if (!body.Build(m.Model(), 1.0f, 1.0f, "box"))
        return false;
    SteerByEnds(body, m);
    for (int k = 0; k < 5; ++k)
        body.Step(0.05f);
    return true;
}

void BM_StepBox(benchmark::State& state) {
    SoftBody body;
    if (!MakeSteeredBox(body, Box(static_cast<int>(state.range(0))))) {
        state.SkipWithError("the box was refused");
        return;
    }
    for (auto _ : state) {
        body.Step(0.05f);
        benchmark::ClobberMemory();
    }
    ReportPerSpring(state, body.springCount);
}
BENCHMARK(BM_StepBox)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_StepYardstickBox(benchmark::State& state) {
    SoftBody body;
    if (!MakeSteeredBox(body, Box(static_cast<int>(state.range(0))))) {
        state.SkipWithError("the box was refused");
        return;
    }
    TimeYardstick(state, body, 1);
}
BENCHMARK(BM_StepYardstickBox)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// Reading the box's model file and building the body from it.
void BM_LoadBox(benchmark::State& state) {
    test::ScratchDir dir;
    const std::string text = Box(static_cast<int>(state.range(0))).Text();
    const std::string path = dir.Write("box.tet", text);
    int springs = 0;
    for (auto _ : state) {
        SoftBody body;
        if (!Quietly([&] { return body.LoadTetFile(path, 1.0f, 1.0f).ok(); })) {
            state.SkipWithError("the box was refused");
            return;
        }
        springs = body.springCount;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
    ReportPerSpring(state, springs);
}
BENCHMARK(BM_LoadBox)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Building the body from a model in memory: particles, tetras and the
// spring generation, without the text.
void BM_BuildBox(benchmark::State& state) {
    const TetModel model = Box(static_cast<int>(state.range(0))).Model();
    int springs = 0;
    for (auto _ : state) {
        SoftBody body;
        if (!body.Build(model, 1.0f, 1.0f, "box")) {
            state.SkipWithError("the box was refused");
            return;
        }
        springs = body.springCount;
    }
    ReportPerSpring(state, springs);
}
BENCHMARK(BM_BuildBox)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
