// Whole frames of the program, headless, on box bodies of 10 000 to
// 1 000 000 springs steered under full thrust, each dressed in its own box
// surface, and on the 250 000-spring box under a surface of a million
// triangles. Reports frames per second and where a frame's time goes, and
// fails when any position stops being finite.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "LatticeModel.h"
#include "ProgramRun.h"
#include "TestFiles.h"
#include "app/Application.h"
#include "math/VecMath.h"

namespace wobble::bench {
namespace {

// Boxes of about 10 000, 50 000, 250 000 and 1 000 000 springs, each 40.8
// long, centred over the water with the underside just below its rest
// height. The third is the box of the README: 34 x 32 x 32 cubes, 253 410
// springs, 38 115 particles, 208 896 tetras.
test::LatticeModel Box(int index) {
    static const int kCubes[][3] = {{12, 10, 10}, {20, 18, 18}, {34, 32, 32}, {54, 52, 50}};
    test::LatticeModel m;
    m.cubesX = kCubes[index][0];
    m.cubesY = kCubes[index][1];
    m.cubesZ = kCubes[index][2];
    m.spacing = 40.8f / static_cast<float>(m.cubesX);
    m.originX = 198.0f - 0.5f * m.cubesX * m.spacing;
    m.originY = -3.0f;
    m.originZ = 198.0f - 0.5f * m.cubesZ * m.spacing;
    return m;
}

// The box's surface: each face cut into `cuts` x `cuts` squares of two
// triangles, counter-clockwise seen from outside, lying `lift` outside the body.
std::string BoxSurface(const test::LatticeModel& m, int cuts, float lift) {
    const float lo[3] = {m.originX - lift, m.originY - lift, m.originZ - lift};
    const float hi[3] = {m.originX + m.cubesX * m.spacing + lift,
                         m.originY + m.cubesY * m.spacing + lift,
                         m.originZ + m.cubesZ * m.spacing + lift};
    std::string text;
    text.reserve(static_cast<size_t>(cuts + 1) * (cuts + 1) * 6 * 40 +
                 static_cast<size_t>(cuts) * cuts * 12 * 30);
    char line[128];
    long long base = 1;
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (int side = 0; side < 2; ++side) {
            for (int a = 0; a <= cuts; ++a) {
                for (int b = 0; b <= cuts; ++b) {
                    float p[3];
                    p[axis] = side ? hi[axis] : lo[axis];
                    p[u] = lo[u] + (hi[u] - lo[u]) * a / cuts;
                    p[v] = lo[v] + (hi[v] - lo[v]) * b / cuts;
                    std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", p[0], p[1], p[2]);
                    text += line;
                }
            }
            for (int a = 0; a < cuts; ++a) {
                for (int b = 0; b < cuts; ++b) {
                    const long long c00 = base + a * (cuts + 1) + b, c10 = c00 + cuts + 1;
                    const long long c01 = c00 + 1, c11 = c10 + 1;
                    // u x v points along +axis: the far side keeps the order.
                    if (side)
                        std::snprintf(line, sizeof line, "f %lld %lld %lld\nf %lld %lld %lld\n",
                                      c00, c10, c11, c00, c11, c01);
                    else
                        std::snprintf(line, sizeof line, "f %lld %lld %lld\nf %lld %lld %lld\n",
                                      c00, c11, c10, c00, c01, c11);
                    text += line;
                }
            }
            base += static_cast<long long>(cuts + 1) * (cuts + 1);
        }
    }
    return text;
}

// Writes the scene folder: the box body, a surface, and a config that steers
// the body by the middles of its end faces' edges. Stiffness over mass 40,
// within the step's limit at one step a frame, and springs stiff enough for
// the cells to hold the whole thrust on one particle (bench_builtframe runs
// bodies with the builder's own constants and sub-steps).
void WriteScene(const test::ScratchDir& dir, const test::LatticeModel& m, int cuts, float lift) {
    dir.Write("body.tet", m.Text());
    dir.Write("surface.obj", BoxSurface(m, cuts, lift));
    const int nx = m.cubesX, ny = m.cubesY, nz = m.cubesZ;
    const int points[8] = {m.VertexIndex(nx, ny, nz / 2), m.VertexIndex(nx, 0, nz / 2),
                           m.VertexIndex(nx, ny / 2, nz), m.VertexIndex(nx, ny / 2, 0),
                           m.VertexIndex(0, ny, nz / 2),  m.VertexIndex(0, 0, nz / 2),
                           m.VertexIndex(0, ny / 2, nz),  m.VertexIndex(0, ny / 2, 0)};
    std::string config = "version 0.1\ntetfile body.tet\nobjfile surface.obj\npoints";
    for (int p : points)
        config += " " + std::to_string(p);
    const float stiffness = 60.0f / m.spacing;
    config += "\nstiffness " + std::to_string(stiffness) + "\nmass " +
              std::to_string(stiffness / 40.0f) + "\n";
    dir.Write("config.txt", config);
}

// Runs frames of the box's scene with the forward key held, and reports
// where a frame's time goes.
void RunBoxFrames(benchmark::State& state, const test::LatticeModel& body, int cuts, float lift) {
    test::ScratchDir dir;
    WriteScene(dir, body, cuts, lift);
    RunSceneFrames(state, dir.path(), [&](const Scene& scene) {
        state.counters["triangles"] = scene.body.surface.triangleCount;
    });
}

// Each box in its own surface, each side cut into as many squares as the
// box's cubes across (12 288 triangles for the third).
void BM_BoxFrame(benchmark::State& state) {
    const test::LatticeModel m = Box(static_cast<int>(state.range(0)));
    RunBoxFrames(state, m, m.cubesY, 0.0f);
}
BENCHMARK(BM_BoxFrame)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->UseRealTime();

// The 253 410-spring box under a surface of 1 002 252 triangles, a little outside it.
void BM_BigBoxUnderMillionTriangles(benchmark::State& state) {
    RunBoxFrames(state, Box(2), 289, 0.5f);
}
BENCHMARK(BM_BigBoxUnderMillionTriangles)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->UseRealTime();

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
