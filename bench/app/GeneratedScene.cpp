#include "GeneratedScene.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "LatticeModel.h"
#include "TestFiles.h"

namespace wobble::bench {

namespace {

constexpr int kRings = 500;      // between the poles
constexpr int kSegments = 1000;  // around: 2 * 1000 * 500 triangles in all

test::LatticeModel NearCapBody() {
    test::LatticeModel m;
    m.cubesX = 12;
    m.cubesY = 10;
    m.cubesZ = 10;
    m.spacing = 2.0f;
    // Centred over the middle of the water (x = z = 198), its middle at the
    // water's rest height.
    m.originX = 186.0f;
    m.originY = -11.0f;
    m.originZ = 188.0f;
    return m;
}

void WriteSurface(const std::string& path, long long& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        throw std::runtime_error("cannot write " + path);
    // An ellipsoid around the box, its long axis along x (the body's forward
    // axis): the poles, and rings of vertices from one pole to the other.
    const double cx = 198.0, cy = -1.0, cz = 198.0;
    const double ax = 15.0, ay = 12.5, az = 12.5;
    const double pi = std::acos(-1.0);
    std::fprintf(out, "# generated: an ellipsoid of %d triangles\n", 2 * kSegments * kRings);
    std::fprintf(out, "v %.6f %.6f %.6f\n", cx + ax, cy, cz);
    for (int r = 0; r < kRings; ++r) {
        const double polar = pi * (r + 1) / (kRings + 1);
        for (int s = 0; s < kSegments; ++s) {
            const double around = 2.0 * pi * s / kSegments;
            std::fprintf(out, "v %.6f %.6f %.6f\n", cx + ax * std::cos(polar),
                         cy + ay * std::sin(polar) * std::cos(around),
                         cz + az * std::sin(polar) * std::sin(around));
        }
    }
    std::fprintf(out, "v %.6f %.6f %.6f\n", cx - ax, cy, cz);
    // 1-based: the first pole is 1, ring r's vertex s is 2 + r * kSegments + s.
    const auto at = [](int r, int s) { return 2 + r * kSegments + s % kSegments; };
    const int lastPole = 2 + kRings * kSegments;
    // Counter-clockwise seen from outside, so the face normals point out.
    for (int s = 0; s < kSegments; ++s)
        std::fprintf(out, "f 1 %d %d\n", at(0, s), at(0, s + 1));
    for (int r = 0; r + 1 < kRings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            std::fprintf(out, "f %d %d %d\nf %d %d %d\n", at(r, s), at(r + 1, s), at(r, s + 1),
                         at(r + 1, s), at(r + 1, s + 1), at(r, s + 1));
        }
    }
    for (int s = 0; s < kSegments; ++s)
        std::fprintf(out, "f %d %d %d\n", lastPole, at(kRings - 1, s + 1), at(kRings - 1, s));
    bytes = std::ftell(out);
    if (std::fclose(out) != 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

const GeneratedScene& MillionTriangleScene() {
    static test::ScratchDir dir;
    static GeneratedScene scene;
    if (!scene.folder.empty())
        return scene;
    const test::LatticeModel body = NearCapBody();
    dir.Write("body.tet", body.Text());
    // Control particles: the highest, lowest and the two side particles of
    // the front end (largest x), then the same of the rear end; particles 2
    // and 3 span the body.
    const int front = body.cubesX, y = body.cubesY, z = body.cubesZ;
    char config[256];
    std::snprintf(config, sizeof config,
                  "version 0.1\ntetfile body.tet\nobjfile surface.obj\n"
                  "points %d %d %d %d %d %d %d %d\nstiffness 30.0\nmass 1.0\n",
                  body.VertexIndex(front, y, z / 2), body.VertexIndex(front, 0, z / 2),
                  body.VertexIndex(front, y / 2, z), body.VertexIndex(front, y / 2, 0),
                  body.VertexIndex(0, y, z / 2), body.VertexIndex(0, 0, z / 2),
                  body.VertexIndex(0, y / 2, z), body.VertexIndex(0, y / 2, 0));
    dir.Write("config.txt", config);
    scene.objPath = dir.Path("surface.obj");
    WriteSurface(scene.objPath, scene.objBytes);
    scene.folder = dir.path();
    return scene;
}

std::string SceneFolder(int64_t which) {
    return which == 0 ? std::string(WOBBLE_SOURCE_DIR "/assets") : MillionTriangleScene().folder;
}

std::string SurfaceFile(int64_t which) {
    return which == 0 ? std::string(WOBBLE_SOURCE_DIR "/assets/body.obj")
                      : MillionTriangleScene().objPath;
}

void OnBothScenes(benchmark::internal::Benchmark* b) {
    b->ArgName("scene")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
}

}  // namespace wobble::bench
