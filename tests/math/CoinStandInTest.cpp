// The vectors the WebAssembly build uses in Coin's place give Coin's bits:
// every operation the core uses, run through both on the same inputs, edge
// values (zeros of both signs, the smallest and largest floats, infinities,
// NaN) among random ones of every magnitude. Bit for bit, but any NaN is NaN.

#include <gtest/gtest.h>

#include <Inventor/SbVec2f.h>
#include <Inventor/SbVec3f.h>
#include <Inventor/SbVec4f.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "math/standin/CoinVectors.h"

namespace wobble {
namespace {

struct Outcome {
    std::string operation;
    std::vector<float> values;
};

template <typename V>
std::vector<float> Values(const V& v, int n) {
    return std::vector<float>(v.getValue(), v.getValue() + n);
}

// Every operation on a, b (and their 2- and 4-element kin) and d, each named.
template <typename V2, typename V3, typename V4>
std::vector<Outcome> RunAll(const float* in, float d) {
    const V3 a(in[0], in[1], in[2]);
    const V3 b(&in[3]);
    V3 normalized = a;
    const float length = normalized.normalize();
    V3 negated = b;
    negated.negate();
    V3 scaled = a, divided = a, added = a, subtracted = a, set;
    set.setValue(in[4], in[5], in[6]);
    float x, y, z;
    b.getValue(x, y, z);
    const V2 p(in[0], in[1]), q(&in[2]);
    V2 p2 = p;
    p2.setValue(in[5], in[6]);
    const V4 r(in[0], in[1], in[2], in[3]), s(&in[4]);
    V4 r2 = r;
    r2.setValue(&in[3]);
    return {
        {"a.length()", {a.length()}},
        {"a.normalize()", {length, normalized[0], normalized[1], normalized[2]}},
        {"a.cross(b)", Values(a.cross(b), 3)},
        {"a.dot(b)", {a.dot(b)}},
        {"a.sqrLength()", {a.sqrLength()}},
        {"b.negate(), -b", {negated[0], negated[1], negated[2], (-b)[0], (-b)[1], (-b)[2]}},
        {"a *= d", Values(scaled *= d, 3)},
        {"a /= d", Values(divided /= d, 3)},
        {"a += b", Values(added += b, 3)},
        {"a -= b", Values(subtracted -= b, 3)},
        {"a * d, d * a, a / d", {(a * d)[0], (d * a)[1], (a / d)[2], (a / d)[0]}},
        {"a + b, a - b", {(a + b)[0], (a + b)[1], (a + b)[2], (a - b)[0], (a - b)[1], (a - b)[2]}},
        {"a == b, a != a", {float(a == b), float(a != a), float(b == b)}},
        {"setValue, getValue", {set[0], set[1], set[2], x, y, z}},
        {"SbVec2f",
         {p.dot(q), (p + q)[0], (p - q)[1], (p * d)[0], (p / d)[1], p2[0], p2[1], float(p == q)}},
        {"SbVec4f",
         {r.dot(s), (r + s)[3], (r - s)[2], (r * d)[1], (r / d)[3], r2[0], r2[3], float(r == s),
          (-r)[3]}},
    };
}

// A float's bits; every NaN alike, as neither C++ nor WebAssembly fixes which
// NaN an invalid operation gives (x86 gives its sign by operand order).
uint32_t Bits(float f) {
    if (std::isnan(f))
        return 0x7fc00000u;
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

TEST(CoinStandIn, EveryOperationGivesCoinsBitsOnEdgeAndRandomInputs) {
    using Limits = std::numeric_limits<float>;
    const std::vector<float> edges = {0.0f,
                                      -0.0f,
                                      1.0f,
                                      -1.0f,
                                      Limits::min(),
                                      Limits::denorm_min(),
                                      Limits::max(),
                                      -Limits::max(),
                                      Limits::infinity(),
                                      -Limits::infinity(),
                                      Limits::quiet_NaN(),
                                      3.0f,
                                      1e-20f,
                                      1e20f,
                                      0.1f};
    std::mt19937 random(26);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::uniform_int_distribution<int> pick(0, 9);
    auto next = [&]() {
        if (pick(random) == 0)
            return edges[random() % edges.size()];
        return std::ldexp(mantissa(random), exponent(random));
    };
    int compared = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        float in[8];
        for (float& value : in)
            value = next();
        const float d = next();
        const std::vector<Outcome> coin = RunAll<::SbVec2f, ::SbVec3f, ::SbVec4f>(in, d);
        const std::vector<Outcome> ours =
            RunAll<coin_standin::SbVec2f, coin_standin::SbVec3f, coin_standin::SbVec4f>(in, d);
        ASSERT_EQ(coin.size(), ours.size());
        for (size_t op = 0; op < coin.size(); ++op) {
            for (size_t k = 0; k < coin[op].values.size(); ++k) {
                ASSERT_EQ(Bits(coin[op].values[k]), Bits(ours[op].values[k]))
                    << coin[op].operation << " value " << k << " of trial " << trial << " (d " << d
                    << ")";
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 20000 * 50);
}

}  // namespace
}  // namespace wobble
