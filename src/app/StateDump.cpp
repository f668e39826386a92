#include "app/StateDump.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "camera/Camera.h"
#include "scene/Scene.h"

namespace wobble {

namespace {

void PrintVector(FILE* out, const SbVec3f& v) {
    std::fprintf(out, "%.9g %.9g %.9g\n", v[0], v[1], v[2]);
}

}  // namespace

Status WriteStateDump(const std::string& path, const DumpedState& s) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        return InputError{path, 0, std::strerror(errno)};
    const SoftBody& body = s.scene->body;
    const ThrustController& t = body.controller;
    const Camera& c = *s.camera;
    std::fprintf(out, "state 1\nframe %lld\n", s.frame);
    std::fprintf(out, "thrust %.9g %.9g %.9g %.9g\n", t.forwardThrust, t.backwardThrust,
                 t.leftThrust, t.rightThrust);
    std::fprintf(out, "camera %d %d %d %d %.9g %.9g %.9g %.9g %.9g\n", c.mode, c.modeCounter,
                 c.zoom, c.lift, c.yaw, c.pitch, c.position[0], c.position[1], c.position[2]);
    std::fprintf(out, "view %s\n", s.surfaceView ? "surface" : "wireframe");
    std::fprintf(out, "particles %d\n", body.particleCount);
    for (int i = 0; i < body.particleCount; ++i)
        PrintVector(out, body.particles[i].position);
    const SurfaceMesh& mesh = body.surface;
    const int vertices = mesh.vertexCount > 0 ? mesh.vertexCount : 0;
    std::fprintf(out, "surface %d\n", vertices);
    for (int v = 0; v < vertices; ++v)
        PrintVector(out, mesh.vertices[v]);
    const WaterSurface& w = s.scene->water;
    std::fprintf(out, "water %d %d\n", w.cellsX, w.cellsZ);
    for (int i = 0; i < w.cellsX; ++i) {
        for (int j = 0; j < w.cellsZ; ++j) {
            std::fprintf(out, j == 0 ? "%.9g" : " %.9g",
                         w.positions[static_cast<size_t>(i) * w.cellsZ + j][1]);
        }
        std::fputc('\n', out);
    }
    std::fprintf(out, "end\n");
    if (std::fclose(out) != 0)
        return InputError{path, 0, std::strerror(errno)};
    return Done{};
}

}  // namespace wobble
