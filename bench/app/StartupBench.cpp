// Start-up as a person meets it: the program started headless on the
// generated scene with 1 000 000 surface triangles (bench/app/GeneratedScene.h),
// from nothing to its first drawn frame and its exit, beside tinyobjloader's
// parse of the same surface file alone. The ratio is printed at the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tiny_obj_loader.h>

#include <string>
#include <vector>

#include "GeneratedScene.h"
#include "RatioReport.h"

extern char** environ;

namespace wobble::bench {
namespace {

// Runs `wobble SCENE --headless --frames 1` with its console sent nowhere;
// true when it ended with status 0.
bool RunFirstFrame(const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = WOBBLE_PROGRAM;
    std::vector<std::string> args = {program, folder, "--headless", "--frames", "1"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
