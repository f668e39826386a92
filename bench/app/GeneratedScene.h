#pragma once
// A scene folder written for the benchmarks: a body just under the spring
// limit (a box of 12 x 10 x 10 cubes, 9452 springs) in the middle of the
// water, dressed in an ellipsoid of exactly 1 000 000 triangles (500 002
// vertices, ring after ring as a surface file lists them). Nothing of it is
// checked in: it is written into a scratch folder on first use.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace wobble::bench {

struct GeneratedScene {
    std::string folder;   // holds config.txt, body.tet, surface.obj
    std::string objPath;  // folder/surface.obj
    long long objBytes = 0;
};

// Writes the scene once per process; later calls return the same folder.
const GeneratedScene& MillionTriangleScene();

// The folder of scene `which`: 0 the sample scene, 1 the generated one.
std::string SceneFolder(int64_t which);

// The surface file scene `which` is dressed in.
std::string SurfaceFile(int64_t which);

// Runs a benchmark on both scenes (its argument "scene"), in milliseconds of
// real time, each for at least 3 s.
void OnBothScenes(benchmark::internal::Benchmark* b);

}  // namespace wobble::bench
