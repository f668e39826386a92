// The OBJ reader beside tinyobjloader on the same generated files (MB/s), and
// the surface binding through the centroid tree beside the plain search over
// every tetra, on a body near the spring limit.

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "LatticeModel.h"
#include "TestFiles.h"
#include "math/VecMath.h"
#include "softbody/SoftBody.h"

namespace wobble::bench {
namespace {

// Runs `action` with standard output going nowhere: the loaders' progress
// lines would clutter the report.
template <typename Action>
auto Quietly(Action&& action) {
    std::fflush(stdout);
    FILE* saved = stdout;
    stdout = std::fopen("/dev/null", "w");
    auto result = action();
    std::fclose(stdout);
    stdout = saved;
    return result;
}

// A wavy grid of about 1 000 000 triangles, written once per process.
// With `attributes`, every vertex has a texture coordinate and a normal and
// faces read "f a/a/a b/b/b c/c/c".
struct GridFile {
    std::string path;
    long long bytes = 0;
};

const GridFile& Grid(bool attributes) {
    static test::ScratchDir dir;
    static GridFile files[2];
    GridFile& file = files[attributes ? 1 : 0];
    if (!file.path.empty())
        return file;
    file.path = dir.Path(attributes ? "grid-vtn.obj" : "grid-v.obj");
    std::FILE* out = std::fopen(file.path.c_str(), "w");
    if (out == nullptr)
        throw std::runtime_error("cannot write " + file.path);
    constexpr int kSide = 708;  // 2 * 707 * 707 = 999 698 triangles
    std::fprintf(out, "# generated grid\no grid\n");
    for (int i = 0; i < kSide; ++i) {
        for (int j = 0; j < kSide; ++j) {
            std::fprintf(out, "v %.6f %.6f %.6f\n", i * 0.1, 0.25 * std::sin(i * 0.05 + j * 0.07),
                         j * 0.1);
            if (attributes) {
                std::fprintf(out, "vt %.6f %.6f\n", i / double(kSide), j / double(kSide));
                std::fprintf(out, "vn %.6f %.6f %.6f\n", 0.01 * std::cos(i * 0.05), 0.99,
                             -0.01 * std::sin(j * 0.07));
            }
        }
    }
    std::fprintf(out, "g grid\ns 1\n");
    for (int i = 0; i + 1 < kSide; ++i) {
        for (int j = 0; j + 1 < kSide; ++j) {
            const int a = i * kSide + j + 1, b = a + 1, c = a + kSide, d = c + 1;
            if (attributes) {
                std::fprintf(out, "f %d/%d/%d %d/%d/%d %d/%d/%d\nf %d/%d/%d %d/%d/%d %d/%d/%d\n", a,
                             a, a, b, b, b, d, d, d, a, a, a, d, d, d, c, c, c);
            } else {
                std::fprintf(out, "f %d %d %d\nf %d %d %d\n", a, b, d, a, d, c);
            }
        }
    }
    file.bytes = std::ftell(out);
    std::fclose(out);
    return file;
}

void BM_LoadMesh(benchmark::State& state) {
    const GridFile& file = Grid(state.range(0) != 0);
    for (auto _ : state) {
        SurfaceMesh mesh;
        if (!Quietly([&] { return mesh.LoadMesh(file.path); })) {
            state.SkipWithError("LoadMesh failed");
            return;
        }
        benchmark::DoNotOptimize(mesh.vertices.data());
        state.counters["triangles"] = mesh.triangleCount;
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
}
BENCHMARK(BM_LoadMesh)->ArgName("vt_vn")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TinyObjLoader(benchmark::State& state) {
    const GridFile& file = Grid(state.range(0) != 0);
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, file.path.c_str())) {
            state.SkipWithError(err.c_str());
            return;
        }
        benchmark::DoNotOptimize(attrib.vertices.data());
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
}
BENCHMARK(BM_TinyObjLoader)->ArgName("vt_vn")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A body of 12 x 11 x 9 cubes (9365 springs, 7128 tetras, just under the
// spring limit) and 100 000 surface vertices: either a skin around it, ring
// after ring as a surface file lists them, or points scattered in and around
// it in no order at all (the search's worst case).
struct BindingScene {
    SoftBody body;
    std::vector<SbVec3f> skin;
    std::vector<SbVec3f> scattered;

    BindingScene() {
        test::LatticeModel model;
        model.cubesX = 12;
        model.cubesY = 11;
        model.cubesZ = 9;
        model.spacing = 2.0f;
        static test::ScratchDir dir;
        const std::string path = dir.Write("body.tet", model.Text());
        if (!Quietly([&] { return body.LoadTetFile(path, 30.0f, 1.0f); }))
            throw std::runtime_error("cannot load the benchmark body");
        // An ellipsoid through the box's edges, 250 rings of 400 vertices.
        const double pi = std::acos(-1.0);
        for (int ring = 0; ring < 250; ++ring) {
            const double polar = pi * (ring + 0.5) / 250;
            for (int s = 0; s < 400; ++s) {
                const double around = 2 * pi * s / 400;
                skin.emplace_back(12.0 + 15.0 * std::cos(polar),
                                  11.0 + 14.0 * std::sin(polar) * std::cos(around),
                                  9.0 + 12.0 * std::sin(polar) * std::sin(around));
            }
        }
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> x(-2.0f, 26.0f), y(-2.0f, 24.0f), z(-2.0f, 20.0f);
        for (int v = 0; v < 100000; ++v)
            scattered.emplace_back(x(rng), y(rng), z(rng));
    }

    void Use(const std::vector<SbVec3f>& vertices) {
        SurfaceMesh& mesh = body.surface;
        mesh.vertices = vertices;
        mesh.vertexCount = static_cast<int>(vertices.size());
        mesh.vertexTetra.assign(vertices.size(), -1);
        mesh.barycentric.assign(vertices.size(), SbVec4f(0, 0, 0, 0));
        mesh.triangleCount = 0;
    }
};

BindingScene& Scene() {
    static BindingScene scene;
    return scene;
}

void BM_BindSurface(benchmark::State& state) {
    BindingScene& scene = Scene();
    scene.Use(state.range(0) == 0 ? scene.skin : scene.scattered);
    for (auto _ : state) {
        scene.body.BindSurface();
        benchmark::DoNotOptimize(scene.body.surface.vertexTetra.data());
    }
    state.counters["springs"] = scene.body.springCount;
    state.counters["tetras"] = scene.body.tetraCount;
}
BENCHMARK(BM_BindSurface)->ArgName("scattered")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The binding as a plain search: every tetra for every vertex, recomputing
// each centroid.
void BM_BindSurfacePlainSearch(benchmark::State& state) {
    BindingScene& scene = Scene();
    scene.Use(scene.skin);
    SoftBody& body = scene.body;
    SurfaceMesh& mesh = body.surface;
    for (auto _ : state) {
        for (int t = 0; t < body.tetraCount; ++t)
            body.tetras[t].UpdateMatrix();
        for (int v = 0; v < mesh.vertexCount; ++v) {
            float best = 1e38f;
            int bestTetra = -1;
            for (int t = 0; t < body.tetraCount; ++t) {
                const int* c = body.tetras[t].cornerIndices;
                const SbVec3f centroid =
                    0.25f * (((body.particles[c[0]].position + body.particles[c[1]].position) +
                              body.particles[c[2]].position) +
                             body.particles[c[3]].position);
                const float d = VecLength(mesh.vertices[v] - centroid);
                if (d < best) {
                    best = d;
                    bestTetra = t;
                }
            }
            mesh.vertexTetra[v] = bestTetra;
            const SbVec3f& p = mesh.vertices[v];
            const float b[4] = {p[0], p[1], p[2], 1.0f};
            float w[4] = {0, 0, 0, 0};
            body.tetras[bestTetra].matrix.Solve(w, b);
            mesh.barycentric[v].setValue(w);
        }
        benchmark::DoNotOptimize(mesh.vertexTetra.data());
    }
}
BENCHMARK(BM_BindSurfacePlainSearch)->Unit(benchmark::kMillisecond)->Iterations(1);

// Once per frame: the deformation of the 100 000 vertices.
void BM_DeformSurface(benchmark::State& state) {
    BindingScene& scene = Scene();
    scene.Use(scene.skin);
    scene.body.BindSurface();
    for (auto _ : state) {
        scene.body.DeformSurface();
        benchmark::DoNotOptimize(scene.body.surface.vertices.data());
    }
}
BENCHMARK(BM_DeformSurface)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wobble::bench

BENCHMARK_MAIN();
