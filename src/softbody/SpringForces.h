#pragma once
// The springs' pass of the step: every spring's current length, and every
// particle's force set to 0 plus the pulls of its springs, summed in spring
// order exactly as a loop over the springs would add them.
//
// A loop over the springs that adds each pull to both ends at once is slow:
// neighbouring springs share particles, so each addition waits for the one
// before it to reach memory. Here the springs go in blocks instead, and each
// block in two halves:
// 1. the pulls of the block's springs, four at a time in vector registers,
//    into a buffer of one block's pulls (no spring depends on another);
// 2. for every particle with springs in the block, those springs' pulls
//    added in spring order onto its force: from zero in the block of its
//    first spring, from the sum stored there by an earlier block otherwise.
// Each float operation is the one the plain loop performs, in the same order
// for each particle (a sum carried over from one block to the next is the
// same float the plain loop holds at that point), so the results are
// bit-identical. The buffer stays in the nearest cache however far apart a
// particle's springs lie, and the pass streams through memory once: the
// springs, and for each block the list of its particles and their spring
// ends, numbered within the block.
//
// When loops are shared over several threads (math/ParallelFor.h) and the
// body has at least kShareFrom springs, the blocks are cut into one run of
// consecutive blocks a thread, and each run goes through its blocks with a
// buffer of its own, carrying the sums of the particles whose first spring
// lies in it. For the few particles whose springs straddle a cut, the later
// runs save their pulls as they form them, and once every run is done
// these are added on, in spring order, to the sum the first run left. A
// particle's force is still the same chain of additions in spring order, so
// the bits are those of one thread.

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
    static constexpr int kBlock = 1024;  // springs whose pulls are formed before they are added
    // Straddling particles a piece of their pass: a few microseconds of work.
    static constexpr int kStraddlerPiece = 256;

    // A particle with springs in a block, and how many of the block's spring
    // ends are its own; `continues` when an earlier block began its sum.
    struct Touch {
        int particle;
        unsigned short endCount;
        unsigned short continues;
    };
    // Consecutive blocks, and the buffer their pulls are formed in.
    struct Run {
        int firstBlock = 0;
        int endBlock = 0;
        std::vector<Pull> pulls;  // pull of the block's spring k at pulls[k]
    };

    // The runs the springs' blocks are cut into: one per thread when shared.
    static int RunsFor(int springCount);
    bool IsPreparedFor(const SpringSet& springs, int particleCount, int runs) const;
    void ApplyAlongside(SpringSet& springs, Particle* particles, int particleCount,
                        void (*alongside)(void*), void* task);
    void ApplyRun(Run& run, SpringSet& springs, Particle* particles);
    static void FormPulls(SpringSet& springs, const Particle* particles, int from, int to,
                          Pull* out);
    void AddBlock(Particle* particles, int block, const Pull* pulls) const;
    void SavePulls(int block, const Pull* pulls);
    void SumStraddlers(Particle* particles, int from, int to) const;

    int springCount_ = -1;
    int particleCount_ = -1;
    // Block b's particles are touches_[firstTouch_[b] .. firstTouch_[b + 1]),
    // in particle order, and their ends, one touch's after another's, begin
    // at blockEnds_[firstBlockEnd_[b]]: 2 k for end A of the block's spring
    // k, 2 k + 1 for end B, in spring order.
    std::vector<Touch> touches_;
    std::vector<int> firstTouch_;
    std::vector<unsigned short> blockEnds_;
    std::vector<int> firstBlockEnd_;
    std::vector<Run> runs_;
    // Block b saves the pulls on the ends saveEnds_[firstSave_[b] ..
    // firstSave_[b + 1]) (numbered as blockEnds_ are) in the same places of
    // savedPulls_, end B's negated: ends of particles whose sums began in an
    // earlier run.
    std::vector<int> firstSave_;
    std::vector<unsigned short> saveEnds_;
    std::vector<Pull> savedPulls_;
    // Those particles, and for straddlers_[n] the places of its saved pulls
    // in spring order: straddlerSaves_[firstStraddlerSave_[n] ..
    // firstStraddlerSave_[n + 1]).
    std::vector<int> straddlers_;
    std::vector<int> firstStraddlerSave_;
    std::vector<int> straddlerSaves_;
};

}  // namespace wobble
