#pragma once
// The springs' pass of the step: every spring's current length, and every
// particle's force set to 0 plus the pulls of its springs, summed in spring
// order exactly as a loop over the springs would add them.
//
// A loop over the springs that adds each pull to both ends at once is slow:
// neighbouring springs share particles, so each addition waits for the one
// before it to reach memory. Here the pass runs in two halves instead:
// 1. the pulls of a block of springs, four at a time in vector registers,
//    into a ring of pull vectors (no spring depends on another);
// 2. the force of every particle whose last spring is in that block, summed
//    in registers from its springs' pulls, in spring order.
// Each float operation is the one the plain loop performs, in the same order
// for each particle, so the results are bit-identical. With particles and
// tetras numbered so that neighbours are near (the builder's order, a
// lattice's grid order) a particle's springs lie close together, the ring
// stays small enough for the cache, and the pass streams through memory once.
//
// When loops are shared over several threads (math/ParallelFor.h) and the
// body has at least kShareFrom springs, the halves run over the whole body
// one after the other instead, each shared out: every spring's pull into a
// buffer as long as the springs, in pieces of springs, then every particle's
// force, in pieces of particles. A particle's force is still the same chain
// of additions in spring order, so the bits are those of one thread.

#include <vector>

#include "softbody/Particle.h"
#include "softbody/Spring.h"

namespace wobble {

class SpringForces {
public:
    // Indexes `springs` for a body of `particleCount` particles. Allocates;
    // Apply then allocates nothing.
    void Prepare(const SpringSet& springs, int particleCount);
    // Frees the index.
    void Clear();

    // Writes springs.length and sets particles[0..particleCount).force.
    // Prepares first when the springs or the count are not those prepared
    // for, and makes the shared pass's buffer the first time it runs.
    void Apply(SpringSet& springs, Particle* particles, int particleCount);

    static constexpr int kShareFrom = 16384;

private:
    struct alignas(16) Pull {
        float x, y, z, unused;
    };
    static constexpr int kBlock = 1024;  // springs whose pulls are formed before forces are summed
    // Pieces of the shared pass: a few microseconds of work each.
    static constexpr int kSpringPiece = 8192;
    static constexpr int kParticlePiece = 2048;

    // The pulls of spring s live at pulls[s & mask].
    struct PullBuffer {
        Pull* pulls;
        unsigned mask;
    };

    bool IsPreparedFor(const SpringSet& springs, int particleCount) const;
    void ApplyShared(SpringSet& springs, Particle* particles, int particleCount);
    static void FormPulls(SpringSet& springs, const Particle* particles, int from, int to,
                          PullBuffer out);
    void SumForces(Particle* particles, int from, int to, PullBuffer in) const;

    int springCount_ = -1;
    int particleCount_ = -1;
    std::vector<int>
        firstEnd_;           // particle p's spring ends: ends_[firstEnd_[p] .. firstEnd_[p + 1])
    std::vector<int> ends_;  // 2 s for end A of spring s, 2 s + 1 for end B, in spring order
    std::vector<int> summingOrder_;  // particles by the block of their last spring
    std::vector<int> readyAfter_;    // block b completes summingOrder_[0 .. readyAfter_[b])
    std::vector<Pull> ring_;         // pull of spring s at ring_[s & ringMask_]
    int ringMask_ = 0;
    std::vector<Pull> allPulls_;  // the shared pass's: pull of spring s at allPulls_[s]
};

}  // namespace wobble
