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
    std::vector<Touch>().swap(touches_);
    std::vector<int>().swap(firstTouch_);
    std::vector<unsigned short>().swap(blockEnds_);
    std::vector<int>().swap(firstBlockEnd_);
    std::vector<Run>().swap(runs_);
    std::vector<int>().swap(firstSave_);
    std::vector<unsigned short>().swap(saveEnds_);
    std::vector<Pull>().swap(savedPulls_);
    std::vector<int>().swap(straddlers_);
    std::vector<int>().swap(firstStraddlerSave_);
    std::vector<int>().swap(straddlerSaves_);
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
    std::vector<int> firstEnd(n + 1, 0);
    for (int s = 0; s < springCount; ++s) {
        ++firstEnd[static_cast<size_t>(springs.particleA[s]) + 1];
        ++firstEnd[static_cast<size_t>(springs.particleB[s]) + 1];
    }
    for (size_t p = 0; p < n; ++p)
        firstEnd[p + 1] += firstEnd[p];
    std::vector<int> ends(2 * static_cast<size_t>(springCount));
    {
        std::vector<int> next(firstEnd.begin(), firstEnd.end() - 1);
        for (int s = 0; s < springCount; ++s) {
            ends[next[springs.particleA[s]]++] = 2 * s;
            ends[next[springs.particleB[s]]++] = 2 * s + 1;
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
        run.pulls.assign(kBlock, Pull{0.0f, 0.0f, 0.0f, 0.0f});
        for (int b = run.firstBlock; b < run.endBlock; ++b)
            runOfBlock[b] = r;
    }

    // A particle's sum is carried from block to block within the run of its
    // first spring. Where its springs reach into later runs, it straddles a
    // cut: its pulls there are saved as they are formed, to be added on once
    // every run is done. visit(block, particle, end, startsTouch, saved) for
    // each particle's spring ends in spring order; a particle without
    // springs is touched by the first block, to be set to zero.
    auto eachEnd = [&](auto&& visit) {
        for (size_t p = 0; p < n; ++p) {
            const int particle = static_cast<int>(p);
            if (firstEnd[p] == firstEnd[p + 1]) {
                visit(0, particle, -1, true, false);
                continue;
            }
            const int firstRun = runOfBlock[ends[firstEnd[p]] / 2 / kBlock];
            int previous = -1;
            for (int i = firstEnd[p]; i < firstEnd[p + 1]; ++i) {
                const int block = ends[i] / 2 / kBlock;
                const bool saved = runOfBlock[block] != firstRun;
                visit(block, particle, ends[i] - 2 * block * kBlock, !saved && block != previous,
                      saved);
                previous = block;
            }
        }
    };
    // Count, then fill.
    firstTouch_.assign(static_cast<size_t>(blocks) + 1, 0);
    firstBlockEnd_.assign(static_cast<size_t>(blocks) + 1, 0);
    firstSave_.assign(static_cast<size_t>(blocks) + 1, 0);
    eachEnd([&](int block, int, int end, bool startsTouch, bool saved) {
        if (saved) {
            ++firstSave_[block + 1];
            return;
        }
        firstTouch_[block + 1] += startsTouch ? 1 : 0;
        firstBlockEnd_[block + 1] += end >= 0 ? 1 : 0;
    });
    for (int b = 0; b < blocks; ++b) {
        firstTouch_[b + 1] += firstTouch_[b];
        firstBlockEnd_[b + 1] += firstBlockEnd_[b];
        firstSave_[b + 1] += firstSave_[b];
    }
    touches_.resize(static_cast<size_t>(firstTouch_[blocks]));
    blockEnds_.resize(static_cast<size_t>(firstBlockEnd_[blocks]));
    saveEnds_.resize(static_cast<size_t>(firstSave_[blocks]));
    savedPulls_.resize(saveEnds_.size());
    {
        std::vector<int> nextTouch(firstTouch_.begin(), firstTouch_.end() - 1);
        std::vector<int> nextEnd(firstBlockEnd_.begin(), firstBlockEnd_.end() - 1);
        std::vector<int> nextSave(firstSave_.begin(), firstSave_.end() - 1);
        int lastParticle = -1;
        firstStraddlerSave_.push_back(0);
        eachEnd([&](int block, int p, int end, bool startsTouch, bool saved) {
            if (saved) {
                if (straddlers_.empty() || straddlers_.back() != p) {
                    straddlers_.push_back(p);
                    firstStraddlerSave_.push_back(firstStraddlerSave_.back());
                }
                straddlerSaves_.push_back(nextSave[block]);
                ++firstStraddlerSave_.back();
                saveEnds_[nextSave[block]++] = static_cast<unsigned short>(end);
                return;
            }
            if (startsTouch) {
                touches_[nextTouch[block]++] =
                    Touch{p, 0, static_cast<unsigned short>(p == lastParticle ? 1 : 0)};
                lastParticle = p;
            }
            if (end >= 0) {
                ++touches_[nextTouch[block] - 1].endCount;
                blockEnds_[nextEnd[block]++] = static_cast<unsigned short>(end);
            }
        });
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
                [&](int begin, int end) { SumStraddlers(particles, begin, end); });
}

void SpringForces::ApplyRun(Run& run, SpringSet& springs, Particle* particles) {
    const int springCount = springs.size();
    for (int b = run.firstBlock; b < run.endBlock; ++b) {
        const int from = b * kBlock;
        const int to = std::min(springCount, from + kBlock);
        if (from < to)
            FormPulls(springs, particles, from, to, run.pulls.data());
        AddBlock(particles, b, run.pulls.data());
        SavePulls(b, run.pulls.data());
    }
}

void SpringForces::SavePulls(int block, const Pull* pulls) {
    for (int i = firstSave_[block]; i < firstSave_[block + 1]; ++i) {
        const unsigned end = saveEnds_[i];
        const Pull& pull = pulls[end >> 1];
        savedPulls_[i] = (end & 1) ? Pull{-pull.x, -pull.y, -pull.z, 0.0f} : pull;
    }
}

void SpringForces::SumStraddlers(Particle* particles, int from, int to) const {
    for (int n = from; n < to; ++n) {
        Particle& particle = particles[straddlers_[n]];
        // Its sum as the run of its first spring left it, then the pulls
        // the later runs saved, in spring order.
        SbVec3f force = particle.force;
        for (int k = firstStraddlerSave_[n]; k < firstStraddlerSave_[n + 1]; ++k) {
            const Pull& pull = savedPulls_[straddlerSaves_[k]];
            force = force + SbVec3f(pull.x, pull.y, pull.z);
        }
        particle.force = force;
    }
}

void SpringForces::FormPulls(SpringSet& springs, const Particle* particles, int from, int to,
                             Pull* out) {
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
        Pull* const four = &out[s - from];
        _mm_store_ps(&four[0].x, px);
        _mm_store_ps(&four[1].x, py);
        _mm_store_ps(&four[2].x, pz);
        _mm_store_ps(&four[3].x, pw);
    }
#endif
    for (; s < to; ++s) {
        float pull[3];
        FormPull(particles[endA[s]].position, particles[endB[s]].position, stiffness[s],
                 restLength[s], length[s], pull);
        out[s - from] = Pull{pull[0], pull[1], pull[2], 0.0f};
    }
}

void SpringForces::AddBlock(Particle* particles, int block, const Pull* pulls) const {
    const Touch* const touches = touches_.data() + firstTouch_[block];
    const int count = firstTouch_[block + 1] - firstTouch_[block];
    const unsigned short* ends = blockEnds_.data() + firstBlockEnd_[block];
#if defined(__SSE2__)
    // End B feels the negated pull: a flip of the sign bit, as -pull is.
    const __m128 flip[2] = {_mm_setzero_ps(), _mm_set1_ps(-0.0f)};
    auto pullAt = [&](unsigned end) {
        return _mm_xor_ps(_mm_load_ps(&pulls[end >> 1].x), flip[end & 1]);
    };
    // A sum begins at zero, or goes on from where an earlier block left it.
    auto begin = [&](const Touch& touch) {
        if (touch.continues == 0)
            return _mm_setzero_ps();
        const float* sum = particles[touch.particle].force.getValue();
        return _mm_setr_ps(sum[0], sum[1], sum[2], 0.0f);
    };
    auto store = [&](int p, __m128 force) {
        alignas(16) float sum[4];
        _mm_store_ps(sum, force);
        particles[p].force.setValue(sum[0], sum[1], sum[2]);
    };
    // Each particle's sum is one chain of additions in spring order; four
    // particles at a time keep four chains going side by side.
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const Touch* const t = touches + n;
        const unsigned short* e[4];
        e[0] = ends;
        for (int k = 1; k < 4; ++k)
            e[k] = e[k - 1] + t[k - 1].endCount;
        ends = e[3] + t[3].endCount;
        const int common = std::min(std::min(t[0].endCount, t[1].endCount),
                                    std::min(t[2].endCount, t[3].endCount));
        __m128 f0 = begin(t[0]), f1 = begin(t[1]), f2 = begin(t[2]), f3 = begin(t[3]);
        for (int i = 0; i < common; ++i) {
            f0 = _mm_add_ps(f0, pullAt(e[0][i]));
            f1 = _mm_add_ps(f1, pullAt(e[1][i]));
            f2 = _mm_add_ps(f2, pullAt(e[2][i]));
            f3 = _mm_add_ps(f3, pullAt(e[3][i]));
        }
        __m128 f[4] = {f0, f1, f2, f3};
        for (int k = 0; k < 4; ++k) {
            for (int i = common; i < t[k].endCount; ++i)
                f[k] = _mm_add_ps(f[k], pullAt(e[k][i]));
            store(t[k].particle, f[k]);
        }
    }
    for (; n < count; ++n) {
        const Touch& touch = touches[n];
        __m128 force = begin(touch);
        for (int i = 0; i < touch.endCount; ++i)
            force = _mm_add_ps(force, pullAt(ends[i]));
        ends += touch.endCount;
        store(touch.particle, force);
    }
#else
    for (int n = 0; n < count; ++n) {
        const Touch& touch = touches[n];
        Particle& particle = particles[touch.particle];
        SbVec3f force = touch.continues != 0 ? particle.force : SbVec3f(0.0f, 0.0f, 0.0f);
        for (int i = 0; i < touch.endCount; ++i) {
            const unsigned end = ends[i];
            const Pull& pull = pulls[end >> 1];
            const SbVec3f v(pull.x, pull.y, pull.z);
            force = force + ((end & 1) ? -v : v);
        }
        ends += touch.endCount;
        particle.force = force;
    }
#endif
}

}  // namespace wobble
