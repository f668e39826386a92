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
// body has at least kShareFrom springs, the blocks are cut into one run of
// consecutive blocks a thread, and each run goes through both halves on its
// own ring, summing the particles whose springs all lie in it. The few
// particles whose springs straddle a cut are summed afterwards, each from
// its springs' pulls formed again: the same operations on the same values,
// so the same bits. A particle's force is still the same chain of additions
// in spring order, so the bits are those of one thread, and each thread
// streams through its share of memory once.

#include <vector>

#include "softbody/Particle.h"
#include "softbody/Spring.h"

namespace wobble {

class SpringForces {
public:
    // Indexes `springs` for a body of `particleCount` particles, cut for the
    // threads loops are now shared over. Allocates; Apply then allocates
    // nothing while the number of threads stays.
    void Prepare(const SpringSet& springs, int particleCount);
    // Frees the index.
    void Clear();

    // Writes springs.length and sets particles[0..particleCount).force.
    // Prepares first when the springs, the count or the number of threads
    // are not those prepared for.
    void Apply(SpringSet& springs, Particle* particles, int particleCount) {
        ApplyAlongside(springs, particles, particleCount, nullptr, nullptr);
    }
    // The same, with `alongside()` run once meanwhile, on whichever thread
    // is free first when the pass is shared: work that touches nothing the
    // pass reads or writes (positions, forces, the springs' lengths).
    template <typename Task>
    void Apply(SpringSet& springs, Particle* particles, int particleCount, Task& alongside) {
        ApplyAlongside(
            springs, particles, particleCount, [](void* task) { (*static_cast<Task*>(task))(); },
            &alongside);
    }

    static constexpr int kShareFrom = 16384;

private:
    struct alignas(16) Pull {
        float x, y, z, unused;
    };
    static constexpr int kBlock = 1024;  // springs whose pulls are formed before forces are summed
    // Straddling particles a piece of their pass: a few microseconds of work.
    static constexpr int kStraddlerPiece = 256;

    // The pulls of spring s live at pulls[s & mask].
    struct PullBuffer {
        Pull* pulls;
        unsigned mask;
    };
    // Consecutive blocks and the particles whose springs all lie in them.
    struct Run {
        int firstBlock = 0;
        int endBlock = 0;
        std::vector<int> summingOrder;  // its particles by the block of their last spring
        // Its block firstBlock + b completes summingOrder[0 .. readyAfter[b]).
        std::vector<int> readyAfter;
        std::vector<Pull> ring;  // pull of spring s at ring[s & ringMask]
        int ringMask = 0;
    };

    // The runs the springs' blocks are cut into: one per thread when shared.
    static int RunsFor(int springCount);
    bool IsPreparedFor(const SpringSet& springs, int particleCount, int runs) const;
    void ApplyAlongside(SpringSet& springs, Particle* particles, int particleCount,
                        void (*alongside)(void*), void* task);
    void ApplyRun(Run& run, SpringSet& springs, Particle* particles) const;
    static void FormPulls(SpringSet& springs, const Particle* particles, int from, int to,
                          PullBuffer out);
    void SumForces(Particle* particles, const int* order, int from, int to, PullBuffer in) const;
    void SumStraddlers(const SpringSet& springs, Particle* particles, int from, int to) const;

    int springCount_ = -1;
    int particleCount_ = -1;
    std::vector<int>
        firstEnd_;           // particle p's spring ends: ends_[firstEnd_[p] .. firstEnd_[p + 1])
    std::vector<int> ends_;  // 2 s for end A of spring s, 2 s + 1 for end B, in spring order
    std::vector<Run> runs_;
    std::vector<int> straddlers_;  // particles with springs in more than one run
};

}  // namespace wobble
