// Fuzz target for the scene configuration reader and the scene it assembles
// (Scene::Load).
//
// An input is config.txt, optionally followed by a model and a surface:
//
//   <config.txt>
//   =====
//   <fuzz.tet>
//   =====
//   <fuzz.obj>
//
// A configuration that names body.tet and body.obj gets fixed valid files
// (written once, beside it), so the fuzzer spends its effort on config.txt
// itself; one that names fuzz.tet and fuzz.obj reads the fuzzed parts. Every
// scene that loads is then assembled and run for a few frames without drawing,
// as the program would: binding, water, thrust, pump, steps and deformation.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzFile.h"
#include "scene/Scene.h"

namespace {

using wobble::SoftBody;

// Two cubes of five tetras each, side by side, and an eight-corner box around them.
constexpr const char* kModel =
    "tet version 1.0\nnum_materials 1\nnum_vertices 12\nnum_tetras 10\nnum_triangles 0\n"
    "MATERIALS\n0\nVERTICES\n"
    "0 0 0\n2 0 0\n0 2 0\n2 2 0\n0 0 2\n2 0 2\n0 2 2\n2 2 2\n4 0 0\n4 2 0\n4 0 2\n4 2 2\n"
    "TETRAS\n"
    "0 1 2 4 0\n1 3 2 7 0\n1 4 5 7 0\n2 4 6 7 0\n1 2 4 7 0\n"
    "1 8 3 5 0\n8 9 3 11 0\n8 10 5 11 0\n3 5 7 11 0\n8 3 5 11 0\n"
    "TRIANGLES\n";
constexpr const char* kSurface =
    "v -0.5 -0.5 -0.5\nv 4.5 -0.5 -0.5\nv 4.5 2.5 -0.5\nv -0.5 2.5 -0.5\n"
    "v -0.5 -0.5 2.5\nv 4.5 -0.5 2.5\nv 4.5 2.5 2.5\nv -0.5 2.5 2.5\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

constexpr std::string_view kSeparator = "\n=====\n";

bool IsParticleOf(const SoftBody& body, const wobble::Particle* p) {
    return p >= body.particles.data() && p < body.particles.data() + body.particles.size();
}

// What the program does with a scene folder: load it, and run a few frames
// of the main loop without GL if it can be simulated.
void LoadAndRun(const std::string& folder) {
    wobble::Scene scene;
    if (!scene.Load(folder)) {
        FUZZ_CHECK(!scene.IsSimulated());
        return;
    }
    SoftBody& body = scene.body;
    FUZZ_CHECK(scene.IsSimulated());
    FUZZ_CHECK(body.particleCount > 0);
    for (const wobble::Particle* p : body.controller.controlParticles)
        FUZZ_CHECK(IsParticleOf(body, p));
    for (int frame = 0; frame < 3; ++frame) {
        body.controller.Steer(true, false, true, false);
        if (frame == 1)
            scene.Pump();
        scene.Splash();
        scene.Step();
        scene.DeformSurface();
    }
    scene.Reset();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wobble::fuzz::WriteScratchFile("body.tet", kModel);
    wobble::fuzz::WriteScratchFile("body.obj", kSurface);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    size_t from = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t at = k < 2 ? input.find(kSeparator, from) : std::string_view::npos;
        parts[k] = input.substr(from, at == std::string_view::npos ? input.npos : at - from);
        from = at == std::string_view::npos ? input.size() : at + kSeparator.size();
    }
    // All three files every time: what an earlier input left must not count.
    wobble::fuzz::WriteScratchFile("fuzz.tet", std::string(parts[1]));
    wobble::fuzz::WriteScratchFile("fuzz.obj", std::string(parts[2]));
    wobble::fuzz::WriteScratchFile("config.txt", std::string(parts[0]));
    // The configuration names its files relative to its own folder.
    LoadAndRun(wobble::fuzz::ScratchFolder());
    return 0;
}
