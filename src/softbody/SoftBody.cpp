#include "softbody/SoftBody.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace wobble {

void SoftBody::Clear() {
    particleCount = 0;
    tetraCount = 0;
    springCount = 0;
    springs.Clear();
    springForces_.Clear();
    tetras.clear();
    tetras.shrink_to_fit();
    particles.clear();
    particles.shrink_to_fit();
}

void SoftBody::SpreadThrust(float radius) {
    for (int slot = 0; slot < 8; ++slot) {
        std::vector<Particle*>& group = controller.spreadGroups[slot];
        group.clear();
        const Particle* centre = controller.controlParticles[slot];
        if (!(radius > 0.0f) || centre == nullptr)
            continue;
        const float reach = radius * radius;
        for (Particle& p : particles) {
            const SbVec3f d = p.position - centre->position;
            if (&p == centre || d.dot(d) <= reach)
                group.push_back(&p);
        }
    }
}

Status SoftBody::Build(const TetModel& model, float stiffness, float mass,
                       const std::string& source, int maxSprings) {
    try {
        return Assemble(model, stiffness, mass, source, maxSprings);
    } catch (const std::bad_alloc&) {
        // The body takes several times the memory of the model it is built
        // from: a model that was read may still be too big to build.
        Clear();
        return MakeInputError(source, 0, "not enough memory for the model");
    }
}

Status SoftBody::Assemble(const TetModel& model, float stiffness, float mass,
                          const std::string& source, int maxSprings) {
    Clear();
    const size_t vertexCount = model.vertices.size();
    for (size_t t = 0; t < model.tetras.size(); ++t) {
        for (const int corner : model.tetras[t]) {
            if (corner < 0 || static_cast<size_t>(corner) >= vertexCount) {
                return MakeInputError(source, 0, "tetra %zu: corner index %d is outside 0..%lld", t,
                                      corner, static_cast<long long>(vertexCount) - 1);
            }
        }
    }
    particles.resize(vertexCount);
    for (size_t i = 0; i < vertexCount; ++i) {
        particles[i].position = model.vertices[i];
        particles[i].mass = mass;
    }
    particleCount = static_cast<int>(vertexCount);
    // The particle array is complete: tetras and springs may point into it.
    tetras.resize(model.tetras.size());
    for (size_t t = 0; t < model.tetras.size(); ++t) {
        for (int c = 0; c < 4; ++c) {
            tetras[t].cornerIndices[c] = model.tetras[t][c];
            tetras[t].corners[c] = &particles[static_cast<size_t>(model.tetras[t][c])];
        }
    }
    tetraCount = static_cast<int>(tetras.size());
    Status springsMade = GenerateSprings(stiffness, source, maxSprings);
    if (!springsMade) {
        Clear();
        return springsMade;
    }
    springForces_.Prepare(springs, particleCount);
    return Done{};
}

Status SoftBody::GenerateSprings(float stiffness, const std::string& source, int maxSprings) {
    // A spring for every distinct edge, in the order and orientation of the
    // first tetra corner pair that names it. The pairs are sorted by their
    // lower particle with one counting pass (memory follows the model, and
    // neighbouring tetras touch neighbouring buckets, which a hash set of
    // edges scattered over memory does not); within a bucket the first pair
    // to name an upper particle is that edge's first.
    const size_t n = static_cast<size_t>(particleCount);
    auto lowerOf = [](int a, int b) { return static_cast<size_t>(std::min(a, b)); };
    std::vector<size_t> bucket(n + 1,
                               0);  // pairs under lower particle p: bucket[p] .. bucket[p + 1]
    for (const Tetra& tetra : tetras) {
        for (const auto& pair : Tetra::kEdges)
            ++bucket[lowerOf(tetra.cornerIndices[pair[0]], tetra.cornerIndices[pair[1]]) + 1];
    }
    for (size_t p = 0; p < n; ++p)
        bucket[p + 1] += bucket[p];
    std::vector<int> upper(bucket[n]);
    std::vector<size_t> next(bucket.begin(), bucket.end() - 1);
    for (const Tetra& tetra : tetras) {
        for (const auto& pair : Tetra::kEdges) {
            const int a = tetra.cornerIndices[pair[0]];
            const int b = tetra.cornerIndices[pair[1]];
            upper[next[lowerOf(a, b)]++] = std::max(a, b);
        }
    }

    std::vector<uint8_t> first(upper.size(), 0);
    std::vector<int> seenUnder(n, -1);  // the latest lower particle seen with each upper one
    size_t edgeCount = 0;
    for (size_t p = 0; p < n; ++p) {
        for (size_t k = bucket[p]; k < bucket[p + 1]; ++k) {
            if (seenUnder[upper[k]] == static_cast<int>(p))
                continue;
            seenUnder[upper[k]] = static_cast<int>(p);
            first[k] = 1;
            if (++edgeCount > static_cast<size_t>(maxSprings)) {
                return MakeInputError(source, 0,
                                      "the model has more than %d distinct edges, the spring limit",
                                      maxSprings);
            }
        }
    }

    // The pairs again in tetra order, each finding its place in its bucket
    // as the sorting did.
    springs.Reserve(edgeCount);
    std::copy(bucket.begin(), bucket.end() - 1, next.begin());
    for (const Tetra& tetra : tetras) {
        for (const auto& pair : Tetra::kEdges) {
            const int a = tetra.cornerIndices[pair[0]];
            const int b = tetra.cornerIndices[pair[1]];
            if (first[next[lowerOf(a, b)]++])
                springs.Add(a, b, particles.data(), stiffness);
        }
    }
    springCount = springs.size();
    return Done{};
}

}  // namespace wobble
