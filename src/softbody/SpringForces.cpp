#include "softbody/SpringForces.h"

#include <algorithm>
#include <cstddef>

#include "math/ParallelFor.h"
#include "math/VecMath.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wobble {

namespace {

// The pull of one spring on its end A (end B feels its negation), formed as
// the plain loop forms it: d = b - a normalised through the reciprocal of
// its length, times stiffness * (length - rest length). Coincident ends
// leave d at zero: no pull.
inline void FormPull(const SbVec3f& a, const SbVec3f& b, float stiffness, float restLength,
                     float& length, float pull[3]) {
    SbVec3f d = b - a;
    length = VecNormalize(d);
    const float f = stiffness * (length - restLength);
    const SbVec3f p = f * d;
    pull[0] = p[0];
    pull[1] = p[1];
    pull[2] = p[2];
}

#if defined(__SSE2__)
// The particle's position and the float that follows it in the particle.
static_assert(offsetof(Particle, velocity) == offsetof(Particle, position) + 3 * sizeof(float));
inline __m128 LoadPosition(const Particle& p) {
    return _mm_loadu_ps(p.position.getValue());
}
#endif

}  // namespace

void SpringForces::Clear() {
    springCount_ = -1;
    particleCount_ = -1;
    std::vector<int>().swap(firstEnd_);
    std::vector<int>().swap(ends_);
    std::vector<Run>().swap(runs_);
    std::vector<int>().swap(straddlers_);
}

int SpringForces::RunsFor(int springCount) {
    const int blocks = std::max(1, (springCount + kBlock - 1) / kBlock);
    const int threads = springCount >= kShareFrom ? ParallelThreads() : 1;
    return std::max(1, std::min(threads, blocks));
}

bool SpringForces::IsPreparedFor(const SpringSet& springs, int particleCount, int runs) const {
    return springCount_ == springs.size() && particleCount_ == particleCount &&
           static_cast<int>(runs_.size()) == runs;
}

void SpringForces::Prepare(const SpringSet& springs, int particleCount) {
    Clear();
    const int springCount = springs.size();
    const size_t n = static_cast<size_t>(std::max(particleCount, 0));

    // Each particle's spring ends, in spring order (end A before end B of a
    // spring that joins a particle to itself, as the plain loop adds them).
    firstEnd_.assign(n + 1, 0);
    for (int s = 0; s < springCount; ++s) {
        ++firstEnd_[static_cast<size_t>(springs.particleA[s]) + 1];
        ++firstEnd_[static_cast<size_t>(springs.particleB[s]) + 1];
    }
    for (size_t p = 0; p < n; ++p)
        firstEnd_[p + 1] += firstEnd_[p];
    ends_.resize(2 * static_cast<size_t>(springCount));
    {
        std::vector<int> next(firstEnd_.begin(), firstEnd_.end() - 1);
        for (int s = 0; s < springCount; ++s) {
            ends_[next[springs.particleA[s]]++] = 2 * s;
            ends_[next[springs.particleB[s]]++] = 2 * s + 1;
        }
    }

    // The blocks, cut into runs of nearly equal length.
    const int blocks = std::max(1, (springCount + kBlock - 1) / kBlock);
    const int runCount = RunsFor(springCount);
    runs_.resize(static_cast<size_t>(runCount));
    std::vector<int> runOfBlock(static_cast<size_t>(blocks));
    for (int r = 0; r < runCount; ++r) {
        Run& run = runs_[r];
        run.firstBlock = static_cast<int>(static_cast<long long>(blocks) * r / runCount);
        run.endBlock = static_cast<int>(static_cast<long long>(blocks) * (r + 1) / runCount);
        run.readyAfter.assign(static_cast<size_t>(run.endBlock - run.firstBlock), 0);
        for (int b = run.firstBlock; b < run.endBlock; ++b)
            runOfBlock[b] = r;
    }

    // Particles are summed once the block of their last spring has its
    // pulls; a particle without springs is summed (to zero) after the first.
    // A particle whose first spring lies in an earlier run straddles a cut.
    std::vector<int> blockOf(n, 0);
    std::vector<char> straddles(n, 0);
    int widest = 1;  // the most springs from a run's particle's first to its last, inclusive
    for (size_t p = 0; p < n; ++p) {
        if (firstEnd_[p] < firstEnd_[p + 1]) {
            const int first = ends_[firstEnd_[p]] / 2;
            const int last = ends_[firstEnd_[p + 1] - 1] / 2;
            blockOf[p] = last / kBlock;
            const Run& run = runs_[runOfBlock[blockOf[p]]];
            if (first < run.firstBlock * kBlock) {
                straddles[p] = 1;
                straddlers_.push_back(static_cast<int>(p));
                continue;
            }
            widest = std::max(widest, last - first + 1);
        }
        Run& run = runs_[runOfBlock[blockOf[p]]];
        ++run.readyAfter[blockOf[p] - run.firstBlock];
    }
    for (Run& run : runs_) {
        const size_t runBlocks = run.readyAfter.size();
        for (size_t b = 1; b < runBlocks; ++b)
            run.readyAfter[b] += run.readyAfter[b - 1];
        run.summingOrder.resize(runBlocks > 0 ? static_cast<size_t>(run.readyAfter.back()) : 0);
    }
    {
        std::vector<std::vector<int>> next(runs_.size());
        for (size_t r = 0; r < runs_.size(); ++r) {
            next[r].assign(runs_[r].readyAfter.size(), 0);
            for (size_t b = 1; b < next[r].size(); ++b)
                next[r][b] = runs_[r].readyAfter[b - 1];
        }
        for (size_t p = 0; p < n; ++p) {
            if (straddles[p] != 0)
                continue;
            const int r = runOfBlock[blockOf[p]];
            Run& run = runs_[r];
            run.summingOrder[next[r][blockOf[p] - run.firstBlock]++] = static_cast<int>(p);
        }
    }

    // A block's pulls may overwrite only those of springs whose particles
    // are all summed: the ring holds a block and the widest particle's span.
    const long long needed =
        std::min<long long>(static_cast<long long>(widest) + kBlock, std::max(springCount, 4));
    size_t ringSize = 4;
    while (static_cast<long long>(ringSize) < needed)
        ringSize *= 2;
    for (Run& run : runs_) {
        run.ring.assign(ringSize, Pull{0.0f, 0.0f, 0.0f, 0.0f});
        run.ringMask = static_cast<int>(ringSize - 1);
    }
    springCount_ = springCount;
    particleCount_ = particleCount;
}

void SpringForces::ApplyAlongside(SpringSet& springs, Particle* particles, int particleCount,
                                  void (*alongside)(void*), void* task) {
    if (!IsPreparedFor(springs, particleCount, RunsFor(springs.size())))
        Prepare(springs, particleCount);
    const int runs = static_cast<int>(runs_.size());
    if (runs == 1) {
        ApplyRun(runs_[0], springs, particles);
        if (alongside != nullptr)
            alongside(task);
        return;
    }
    // The task is the last piece: the thread whose run ends first takes it.
    ParallelFor(runs + (alongside != nullptr ? 1 : 0), 1, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            if (r < runs)
                ApplyRun(runs_[r], springs, particles);
            else
                alongside(task);
        }
    });
    ParallelFor(static_cast<int>(straddlers_.size()), kStraddlerPiece,
                [&](int begin, int end) { SumStraddlers(springs, particles, begin, end); });
}

void SpringForces::ApplyRun(Run& run, SpringSet& springs, Particle* particles) const {
    const PullBuffer ring{run.ring.data(), static_cast<unsigned>(run.ringMask)};
    const int springCount = springs.size();
    int summed = 0;
    for (int b = run.firstBlock; b < run.endBlock; ++b) {
        const int from = b * kBlock;
        const int to = std::min(springCount, from + kBlock);
        if (from < to)
            FormPulls(springs, particles, from, to, ring);
        const int ready = run.readyAfter[b - run.firstBlock];
        SumForces(particles, run.summingOrder.data(), summed, ready, ring);
        summed = ready;
    }
}

void SpringForces::SumStraddlers(const SpringSet& springs, Particle* particles, int from,
                                 int to) const {
    for (int n = from; n < to; ++n) {
        const int p = straddlers_[n];
        SbVec3f force(0.0f, 0.0f, 0.0f);
        for (int i = firstEnd_[p]; i < firstEnd_[p + 1]; ++i) {
            const int e = ends_[i];
            const int s = e >> 1;
            // The run that owns the spring has written its length.
            float length;
            float pull[3];
            FormPull(particles[springs.particleA[s]].position,
                     particles[springs.particleB[s]].position, springs.stiffness[s],
                     springs.restLength[s], length, pull);
            const SbVec3f v(pull[0], pull[1], pull[2]);
            force = force + ((e & 1) ? -v : v);
        }
        particles[p].force = force;
    }
}

void SpringForces::FormPulls(SpringSet& springs, const Particle* particles, int from, int to,
                             PullBuffer buffer) {
    const int* const endA = springs.particleA.data();
    const int* const endB = springs.particleB.data();
    const float* const stiffness = springs.stiffness.data();
    const float* const restLength = springs.restLength.data();
    float* const length = springs.length.data();
    int s = from;
#if defined(__SSE2__)
    // Four springs at a time, one in each lane: the same operations as
    // FormPull, lane by lane (vector arithmetic rounds exactly as scalar).
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    for (; s + 4 <= to; s += 4) {
        // Each particle's position with the float after it (its velocity's x,
        // unused), then four of them turned into x, y and z across the lanes.
        __m128 a0 = LoadPosition(particles[endA[s]]);
        __m128 a1 = LoadPosition(particles[endA[s + 1]]);
        __m128 a2 = LoadPosition(particles[endA[s + 2]]);
        __m128 a3 = LoadPosition(particles[endA[s + 3]]);
        __m128 b0 = LoadPosition(particles[endB[s]]);
        __m128 b1 = LoadPosition(particles[endB[s + 1]]);
        __m128 b2 = LoadPosition(particles[endB[s + 2]]);
        __m128 b3 = LoadPosition(particles[endB[s + 3]]);
        _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
        _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
        __m128 dx = _mm_sub_ps(b0, a0);
        __m128 dy = _mm_sub_ps(b1, a1);
        __m128 dz = _mm_sub_ps(b2, a2);
        const __m128 len = _mm_sqrt_ps(
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz)));
        // The reciprocal where the length is above zero; elsewhere 1, which
        // leaves d exactly as it is, as the plain loop does.
        const __m128 positive = _mm_cmpgt_ps(len, zero);
        const __m128 inv =
            _mm_or_ps(_mm_and_ps(positive, _mm_div_ps(one, len)), _mm_andnot_ps(positive, one));
        dx = _mm_mul_ps(dx, inv);
        dy = _mm_mul_ps(dy, inv);
        dz = _mm_mul_ps(dz, inv);
        const __m128 f =
            _mm_mul_ps(_mm_loadu_ps(stiffness + s), _mm_sub_ps(len, _mm_loadu_ps(restLength + s)));
        __m128 px = _mm_mul_ps(f, dx);
        __m128 py = _mm_mul_ps(f, dy);
        __m128 pz = _mm_mul_ps(f, dz);
        __m128 pw = zero;
        _mm_storeu_ps(length + s, len);
        _MM_TRANSPOSE4_PS(px, py, pz, pw);
        Pull* const out = &buffer.pulls[static_cast<unsigned>(s) & buffer.mask];
        _mm_store_ps(&out[0].x, px);
        _mm_store_ps(&out[1].x, py);
        _mm_store_ps(&out[2].x, pz);
        _mm_store_ps(&out[3].x, pw);
    }
#endif
    for (; s < to; ++s) {
        Pull& out = buffer.pulls[static_cast<unsigned>(s) & buffer.mask];
        float pull[3];
        FormPull(particles[endA[s]].position, particles[endB[s]].position, stiffness[s],
                 restLength[s], length[s], pull);
        out = Pull{pull[0], pull[1], pull[2], 0.0f};
    }
}

void SpringForces::SumForces(Particle* particles, const int* order, int from, int to,
                             PullBuffer buffer) const {
    const int* const ends = ends_.data();
    const Pull* const ring = buffer.pulls;
    const unsigned mask = buffer.mask;
#if defined(__SSE2__)
    // End B feels the negated pull: a flip of the sign bit, as -pull is.
    const __m128 flip[2] = {_mm_setzero_ps(), _mm_set1_ps(-0.0f)};
    auto pullAt = [&](int end) {
        const unsigned e = static_cast<unsigned>(end);
        return _mm_xor_ps(_mm_load_ps(&ring[(e >> 1) & mask].x), flip[e & 1]);
    };
    auto store = [&](int p, __m128 force) {
        alignas(16) float sum[4];
        _mm_store_ps(sum, force);
        particles[p].force.setValue(sum[0], sum[1], sum[2]);
    };
    // Each particle's sum is one chain of additions in spring order; four
    // particles at a time keep four chains going side by side.
    int n = from;
    for (; n + 4 <= to; n += 4) {
        const int p[4] = {order[n], order[n + 1], order[n + 2], order[n + 3]};
        const int* e[4];
        int count[4];
        for (int k = 0; k < 4; ++k) {
            e[k] = ends + firstEnd_[p[k]];
            count[k] = firstEnd_[p[k] + 1] - firstEnd_[p[k]];
        }
        const int common = std::min(std::min(count[0], count[1]), std::min(count[2], count[3]));
        __m128 f0 = _mm_setzero_ps(), f1 = f0, f2 = f0, f3 = f0;
        for (int i = 0; i < common; ++i) {
            f0 = _mm_add_ps(f0, pullAt(e[0][i]));
            f1 = _mm_add_ps(f1, pullAt(e[1][i]));
            f2 = _mm_add_ps(f2, pullAt(e[2][i]));
            f3 = _mm_add_ps(f3, pullAt(e[3][i]));
        }
        __m128 f[4] = {f0, f1, f2, f3};
        for (int k = 0; k < 4; ++k) {
            for (int i = common; i < count[k]; ++i)
                f[k] = _mm_add_ps(f[k], pullAt(e[k][i]));
            store(p[k], f[k]);
        }
    }
    for (; n < to; ++n) {
        const int p = order[n];
        __m128 force = _mm_setzero_ps();
        for (int i = firstEnd_[p]; i < firstEnd_[p + 1]; ++i)
            force = _mm_add_ps(force, pullAt(ends[i]));
        store(p, force);
    }
#else
    for (int n = from; n < to; ++n) {
        const int p = order[n];
        SbVec3f force(0.0f, 0.0f, 0.0f);
        for (int i = firstEnd_[p]; i < firstEnd_[p + 1]; ++i) {
            const unsigned e = static_cast<unsigned>(ends[i]);
            const Pull& pull = ring[(e >> 1) & mask];
            const SbVec3f v(pull.x, pull.y, pull.z);
            force = force + ((e & 1) ? -v : v);
        }
        particles[p].force = force;
    }
#endif
}

}  // namespace wobble
