// The water's per-frame work on the scene's grid: 100 x 100 cells at spacing 4.
// Counters report the time per cell (lower is better); a whole Step should stay
// within 3 ns a cell.

#include <benchmark/benchmark.h>

#include "water/WaterSurface.h"

namespace wobble {
namespace {

constexpr int kCells = 100;
constexpr float kSpacing = 4.0f;
constexpr float kDt = 0.03f;
// The scene's radius: half the distance between control particles 2 and 3 of
// the sample body (15 apart), which gives a 5 x 5 window.
constexpr float kSceneRadius = 7.5f;

// Water that is already moving everywhere, so that no step is the trivial
// flat one: the body has been pushed across the grid for a while.
void Stir(WaterSurface& water) {
    for (int n = 0; n < 200; ++n) {
        const float t = static_cast<float>(n);
        water.Displace(SbVec3f(20.0f + 1.7f * t, 0.5f, 30.0f + 1.3f * t));
        water.Step(kDt);
    }
}

void BM_WaterStep(benchmark::State& state) {
    WaterSurface water;
    if (!water.Init(kCells, kCells, kSpacing, kSpacing, kSceneRadius)) {
        state.SkipWithError("the water refused its grid");
        return;
    }
    Stir(water);
    for (auto _ : state) {
        water.Step(kDt);
        benchmark::DoNotOptimize(water.positions.data());
        benchmark::DoNotOptimize(water.normals.data());
        benchmark::ClobberMemory();
    }
    const double cells = static_cast<double>(kCells) * kCells;
    state.counters["time_per_cell"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * cells,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WaterStep);

// One displacement per body step with the scene's radius; the centre wanders
// so that the window meets pushed cells, rim cells and resting water in turn.
void BM_WaterDisplace(benchmark::State& state) {
    WaterSurface water;
    if (!water.Init(kCells, kCells, kSpacing, kSpacing, kSceneRadius)) {
        state.SkipWithError("the water refused its grid");
        return;
    }
    Stir(water);
    float t = 0.0f;
    for (auto _ : state) {
        water.Displace(SbVec3f(150.0f + 40.0f * t, 0.2f, 180.0f + 30.0f * t));
        t = t >= 1.0f ? 0.0f : t + 0.01f;
        benchmark::DoNotOptimize(water.positions.data());
        benchmark::ClobberMemory();
    }
    state.counters["time_per_window_cell"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * water.rimCapacity,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WaterDisplace);

}  // namespace
}  // namespace wobble

BENCHMARK_MAIN();
