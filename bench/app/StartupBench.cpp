// Start-up as a person meets it: the program started headless on the
// generated scene with 1 000 000 surface triangles (bench/app/GeneratedScene.h),
// from nothing to its first drawn frame and its exit, beside tinyobjloader's
// parse of the same surface file alone. The ratio is printed at the end.

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <string>
#include <vector>

#include "ChildRun.h"
#include "GeneratedScene.h"
#include "RatioReport.h"

namespace wobble::bench {
namespace {

// Runs `wobble SCENE --headless --frames 1`; true when it ended with status 0.
bool RunFirstFrame(const std::string& folder) {
    return RunChild({WOBBLE_PROGRAM, folder, "--headless", "--frames", "1"}).has_value();
}

void BM_StartupToFirstFrame(benchmark::State& state) {
    const std::string folder = SceneFolder(state.range(0));
    for (auto _ : state) {
        if (!RunFirstFrame(folder)) {
            state.SkipWithError("wobble did not run its first frame");
            return;
        }
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Apply(OnBothScenes);

void BM_TinyObjLoaderParse(benchmark::State& state) {
    const GeneratedScene& scene = MillionTriangleScene();
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, scene.objPath.c_str())) {
            state.SkipWithError(err.c_str());
            return;
        }
        benchmark::DoNotOptimize(attrib.vertices.data());
    }
    state.SetBytesProcessed(state.iterations() * scene.objBytes);
}
BENCHMARK(BM_TinyObjLoaderParse)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace
}  // namespace wobble::bench

int main(int argc, char** argv) {
    return wobble::bench::RunBenchmarksWithRatios(
        argc, argv,
        {{"start-up / tinyobjloader parse, 1M triangles", "BM_StartupToFirstFrame/scene:1",
          "BM_TinyObjLoaderParse"}});
}
