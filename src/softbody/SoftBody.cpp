#include "softbody/SoftBody.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <vector>

namespace wobble {

namespace {

// The set of undirected edges that already have their spring. It stands in
// for a particleCount x particleCount table of flags: memory follows the
// number of edges, not the square of the number of particles, and the
// springs come out in exactly the order and orientation the table gives.
class EdgeSet {
public:
    explicit EdgeSet(size_t expectedEdges) {
        size_t capacity = 16;
        while (capacity < expectedEdges * 2)
            capacity *= 2;
        slots_.assign(capacity, kEmpty);
    }

    // Adds the edge {a, b}; false when it was there already.
    bool Insert(uint32_t a, uint32_t b) {
        const uint64_t key = a < b ? (uint64_t{a} << 32 | b) : (uint64_t{b} << 32 | a);
        if ((count_ + 1) * 2 > slots_.size())
            Grow();
        return InsertKey(key);
    }

private:
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    bool InsertKey(uint64_t key) {
        const size_t mask = slots_.size() - 1;
        size_t slot = (key * 0x9E3779B97F4A7C15ull) >> 20 & mask;
        while (slots_[slot] != kEmpty) {
            if (slots_[slot] == key)
                return false;
            slot = (slot + 1) & mask;
        }
        slots_[slot] = key;
        ++count_;
        return true;
    }

    void Grow() {
        std::vector<uint64_t> old(slots_.size() * 2, kEmpty);
        old.swap(slots_);
        count_ = 0;
        for (uint64_t key : old) {
            if (key != kEmpty)
                InsertKey(key);
        }
    }

    std::vector<uint64_t> slots_;
    size_t count_ = 0;
};

}  // namespace

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
    // The edges in the order and orientation of their first tetra, gathered
    // before the springs so that the spring arrays take exactly their size.
    // A tetra mesh has about 1.2 distinct edges a tetra (7 a cube of 6 in a
    // lattice); the set starts near that and grows when a model has more.
    const size_t cornerPairs = static_cast<size_t>(tetraCount) * 6;
    const size_t mostEdges = std::min<size_t>(cornerPairs, static_cast<size_t>(maxSprings));
    EdgeSet seen(std::min(mostEdges, static_cast<size_t>(tetraCount) * 3 / 2 + 16));
    std::vector<std::array<int, 2>> edges;
    edges.reserve(std::min(mostEdges, static_cast<size_t>(tetraCount) * 3 / 2 + 16));
    for (const Tetra& tetra : tetras) {
        for (const auto& pair : Tetra::kEdges) {
            const int a = tetra.cornerIndices[pair[0]];
            const int b = tetra.cornerIndices[pair[1]];
            if (!seen.Insert(static_cast<uint32_t>(a), static_cast<uint32_t>(b)))
                continue;
            if (edges.size() == static_cast<size_t>(maxSprings)) {
                return MakeInputError(source, 0,
                                      "the model has more than %d distinct edges, the spring limit",
                                      maxSprings);
            }
            edges.push_back({a, b});
        }
    }
    springs.Reserve(edges.size());
    for (const auto& [a, b] : edges)
        springs.Add(a, b, particles.data(), stiffness);
    springCount = springs.size();
    return Done{};
}

}  // namespace wobble
