// The scene builder's costly steps on a detailed surface of 200 000 triangles:
// reading the OBJ text through the import library, the winding-number tree, one cage at a fixed
// resolution, and the whole search for the finest cage within 10000 springs.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "TestShapes.h"
#include "builder/ModelFile.h"
#include "builder/PlacedSurface.h"
#include "builder/VoxelCage.h"
#include "builder/WindingNumberTree.h"

namespace {

using namespace wobble::builder;

const std::string& DetailedSphere() {
    static const std::string text = [] {
        wobble::test::ShapeOptions detail;
        detail.around = 400;
        detail.along = 250;
        detail.quads = false;
        return wobble::test::SphereObj(1.0, 0, 0, 0, detail);
    }();
    return text;
}

const PlacedSurface& PlacedSphere() {
    static const PlacedSurface placed = [] {
        ModelFile model;
        PlacedSurface p;
        // The sphere is made here: a failure is a fault of this program.
        if (!model.Parse("sphere.obj", DetailedSphere()) || !p.Place(model, 40.0, "sphere.obj"))
            std::abort();
        return p;
    }();
    return placed;
}

const WindingNumberTree& SphereTree() {
    static const WindingNumberTree tree = [] {
        WindingNumberTree t;
        t.Build(PlacedSphere().exactVertices, PlacedSphere().triangles);
        return t;
    }();
    return tree;
}

void BM_ReadObj200k(benchmark::State& state) {
    const std::string& text = DetailedSphere();
    for (auto _ : state) {
        ModelFile model;
        benchmark::DoNotOptimize(model.Parse("sphere.obj", text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_ReadObj200k)->Unit(benchmark::kMillisecond);

void BM_WindingTree200k(benchmark::State& state) {
    const PlacedSurface& s = PlacedSphere();
    for (auto _ : state) {
        WindingNumberTree tree;
        tree.Build(s.exactVertices, s.triangles);
        benchmark::DoNotOptimize(tree.WindingNumber(SbVec3d(198, 10, 198)));
    }
}
BENCHMARK(BM_WindingTree200k)->Unit(benchmark::kMillisecond);

void BM_Cage200kAtResolution(benchmark::State& state) {
    const PlacedSurface& s = PlacedSphere();
    const WindingNumberTree& tree = SphereTree();
    for (auto _ : state) {
        VoxelCage cage;
        cage.Build(s, tree, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(cage.springCount);
    }
}
BENCHMARK(BM_Cage200kAtResolution)->Arg(11)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_Cage200kWithinBudget(benchmark::State& state) {
    const PlacedSurface& s = PlacedSphere();
    const WindingNumberTree& tree = SphereTree();
    for (auto _ : state) {
        VoxelCage cage;
        benchmark::DoNotOptimize(cage.BuildWithinBudget(s, tree, 10000));
    }
}
BENCHMARK(BM_Cage200kWithinBudget)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
