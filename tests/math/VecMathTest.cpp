#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "math/VecMath.h"

namespace wobble {
namespace {

bool SameBits(const SbVec3f& a, const SbVec3f& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<SbVec3f> Samples() {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tiny = std::numeric_limits<float>::denorm_min();
    std::vector<SbVec3f> samples = {
        {0, 0, 0},       {-0.0f, 0, -0.0f}, {1, 0, 0},         {3, 4, 12},
        {tiny, 0, tiny}, {1e-30f, 0, 0},    {1e30f, 1e30f, 1}, {inf, 0, 0},
        {1, nan, 2},     {-inf, inf, 0},    {1e19f, 0, 0},     {1e-19f, 1e-19f, 0},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int k = 0; k < 20000; ++k) {
        samples.emplace_back(std::ldexp(unit(random), exponent(random)),
                             std::ldexp(unit(random), exponent(random)), unit(random));
    }
    return samples;
}

TEST(VecMath, LengthNormalizeAndCrossMatchCoinBitForBit) {
    const auto samples = Samples();
    for (size_t k = 0; k < samples.size(); ++k) {
        const SbVec3f& v = samples[k];
        const float ours = VecLength(v);
        const float coins = v.length();
        EXPECT_TRUE(std::memcmp(&ours, &coins, sizeof ours) == 0) << k;

        SbVec3f a = v, b = v;
        const float lenA = VecNormalize(a);
        const float lenB = b.normalize();
        EXPECT_TRUE(SameBits(a, b)) << k;
        EXPECT_TRUE(std::memcmp(&lenA, &lenB, sizeof lenA) == 0) << k;

        const SbVec3f& w = samples[(k * 7919) % samples.size()];
        EXPECT_TRUE(SameBits(VecCross(v, w), v.cross(w))) << k;
    }
}

TEST(VecMath, ZeroVectorStaysZeroWhenNormalised) {
    SbVec3f zero(0, 0, 0);
    EXPECT_EQ(VecNormalize(zero), 0.0f);
    EXPECT_EQ(zero, SbVec3f(0, 0, 0));
}

}  // namespace
}  // namespace wobble
