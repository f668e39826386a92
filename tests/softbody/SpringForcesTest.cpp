#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "LatticeModel.h"
#include "math/ParallelFor.h"
#include "softbody/SoftBody.h"
#include "softbody/SpringForces.h"

namespace wobble {
namespace {

// The forces as a plain loop over the springs adds them: each pull to end A,
// its negation to end B, in spring order, onto forces cleared to zero.
std::vector<SbVec3f> PlainLoopForces(const SpringSet& springs, std::vector<Particle> particles,
                                     std::vector<float>& lengths) {
    for (Particle& p : particles)
        p.force.setValue(0.0f, 0.0f, 0.0f);
    lengths.assign(springs.size(), -1.0f);
    for (int s = 0; s < springs.size(); ++s) {
        Particle& a = particles[springs.particleA[s]];
        Particle& b = particles[springs.particleB[s]];
        SbVec3f d = b.position - a.position;
        lengths[s] = d.length();
        if (lengths[s] > 0.0f)
            d *= 1.0f / lengths[s];
        const SbVec3f pull = (springs.stiffness[s] * (lengths[s] - springs.restLength[s])) * d;
        a.force = a.force + pull;
        b.force = b.force + (-pull);
    }
    std::vector<SbVec3f> forces;
    for (const Particle& p : particles)
        forces.push_back(p.force);
    return forces;
}

// The pass on 1, 2, 3 and 8 threads: the bits of the plain loop every time.
void ExpectSameAsThePlainLoop(SpringSet& springs, std::vector<Particle>& particles) {
    ASSERT_GE(springs.size(), SpringForces::kShareFrom);  // shared when threads are
    std::vector<float> lengths;
    const std::vector<SbVec3f> expected = PlainLoopForces(springs, particles, lengths);
    const int defaultThreads = ParallelThreads();
    for (int threads : {1, 2, 3, 8}) {
        SetParallelThreads(threads);
        for (Particle& p : particles)
            p.force.setValue(7.0f, 7.0f, 7.0f);  // junk the pass must replace
        std::fill(springs.length.begin(), springs.length.end(), 7.0f);
        SpringForces forces;
        forces.Apply(springs, particles.data(), static_cast<int>(particles.size()));
        for (size_t i = 0; i < particles.size(); ++i) {
            ASSERT_EQ(std::memcmp(particles[i].force.getValue(), expected[i].getValue(), 12), 0)
                << threads << " threads, particle " << i;
        }
        EXPECT_EQ(std::memcmp(springs.length.data(), lengths.data(), lengths.size() * 4), 0)
            << threads << " threads";
    }
    SetParallelThreads(defaultThreads);
}

TEST(SpringForces, LatticeBodyGetsThePlainLoopsForcesBitForBit) {
    // Many blocks of springs, and particles whose springs lie blocks apart.
    const test::LatticeModel m{.cubesX = 24, .cubesY = 12, .cubesZ = 9};
    SoftBody body;
    ASSERT_TRUE(body.Build(m.Model(), 3.0f, 1.0f, "lattice"));
    std::mt19937 random(7);
    std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
    for (Particle& p : body.particles)
        p.position += SbVec3f(jitter(random), jitter(random), jitter(random));
    ExpectSameAsThePlainLoop(body.springs, body.particles);
}

TEST(SpringForces, SpringsInAnyOrderSelfSpringsAndLoneParticlesGetThePlainLoopsForces) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-5.0f, 5.0f);
    // Nearly every particle has springs in every block.
    std::vector<Particle> particles(2300);
    for (Particle& p : particles)
        p.position.setValue(coordinate(random), coordinate(random), coordinate(random));
    particles[5].position = particles[9].position;  // coincident ends
    SpringSet springs;
    std::uniform_int_distribution<int> end(0, 2249);  // particles 2250.. have no springs
    for (int s = 0; s < 20000; ++s) {
        const int a = end(random);
        springs.Add(a, s % 97 == 0 ? a : end(random), particles.data(), 1.5f + s % 3);
    }
    springs.Add(5, 9, particles.data(), 2.0f);
    ExpectSameAsThePlainLoop(springs, particles);
}

}  // namespace
}  // namespace wobble
