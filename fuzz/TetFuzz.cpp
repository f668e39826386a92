// Fuzz target for the tetrahedral model reader, SoftBody::LoadTetFile.
//
// Beyond crashes and sanitizer reports, it checks what the reader promises:
// a body that loaded is whole (every tetra corner and spring end is one of its
// particles, at most the spring limit, every position finite), and one that
// did not is left empty. A loaded body is then stepped, as the program would.

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzFile.h"
#include "softbody/SoftBody.h"

namespace {

using wobble::Particle;
using wobble::SoftBody;

bool IsParticleIndex(const SoftBody& body, int index) {
    return index >= 0 && index < body.particleCount;
}

void CheckLoaded(const SoftBody& body) {
    // num_vertices 0 with no tetras is a body, if a useless one (the program refuses it).
    FUZZ_CHECK(body.particleCount >= 0);
    FUZZ_CHECK(body.particles.size() == static_cast<size_t>(body.particleCount));
    FUZZ_CHECK(body.tetras.size() == static_cast<size_t>(body.tetraCount));
    FUZZ_CHECK(body.springs.size() == body.springCount);
    FUZZ_CHECK(body.springCount <= SoftBody::kMaxSprings);
    for (const Particle& p : body.particles) {
        FUZZ_CHECK(std::isfinite(p.position[0]) && std::isfinite(p.position[1]) &&
                   std::isfinite(p.position[2]));
    }
    for (const wobble::Tetra& t : body.tetras) {
        for (int c = 0; c < 4; ++c) {
            FUZZ_CHECK(t.cornerIndices[c] >= 0 && t.cornerIndices[c] < body.particleCount);
            FUZZ_CHECK(t.corners[c] == &body.particles[static_cast<size_t>(t.cornerIndices[c])]);
        }
    }
    for (int s = 0; s < body.springs.size(); ++s) {
        FUZZ_CHECK(IsParticleIndex(body, body.springs.particleA[static_cast<size_t>(s)]) &&
                   IsParticleIndex(body, body.springs.particleB[static_cast<size_t>(s)]));
    }
}

void CheckEmpty(const SoftBody& body) {
    FUZZ_CHECK(body.particleCount == 0 && body.tetraCount == 0 && body.springCount == 0);
    FUZZ_CHECK(body.particles.empty() && body.tetras.empty() && body.springs.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = wobble::fuzz::WriteScratchFile("model.tet", data, size);
    SoftBody body;
    if (body.LoadTetFile(path, 20.0f, 1.0f)) {
        CheckLoaded(body);
        body.BindSurface();
        for (int step = 0; step < 2; ++step)
            body.Step(0.05f);
        body.Pump();
        body.Step(0.05f);
    } else {
        CheckEmpty(body);
    }
    return 0;
}
