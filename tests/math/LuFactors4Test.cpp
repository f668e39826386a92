#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <array>
#include <random>
#include <vector>

#include "math/LuFactors4.h"

namespace wobble {
namespace {

Matrix4 FromRows(const float rows[16]) {
    Matrix4 m;
    std::memcpy(m.m, rows, sizeof m.m);
    return m;
}

// Every matrix, factored once, solves every right-hand side to exactly the
// bits Matrix4::Solve gives, and refuses exactly what it refuses.
TEST(LuFactors4, SolvesEveryRightHandSideToTheSameBitsAsMatrix4Solve) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float cases[][16] = {
        // a tetra's matrix: corners in the columns, a row of ones
        {0, 2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 1, 1, 1, 1},
        // far from the origin, so that the ones row is the smallest pivot
        {198, 199.5f, 198.25f, 198, -3, -3, -1.5f, -2, 200, 200, 201, 202.5f, 1, 1, 1, 1},
        // equal pivot magnitudes in a column, of both signs
        {-2, 4.8f, -3.3f, 1, 2, 2.2f, 4.2f, 1, 1, 0.6f, 2.1f, 1, 1, 1, 1, 1},
        // zeros where pivots would be: every row swapped
        {0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0},
        // signed zeros in the answer
        {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1},
        // flat: four corners in one plane
        {0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1},
        // nearly flat, still solvable
        {0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 1e-6f, 1, 1, 1, 1},
        // not a number in one corner
        {0, 2, 0, nan, 0, 0, 4, 0, 0, 0, 0, 8, 1, 1, 1, 1},
    };
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> any(-50.0f, 50.0f);
    std::vector<Matrix4> matrices;
    for (const auto& rows : cases)
        matrices.push_back(FromRows(rows));
    for (int k = 0; k < 200; ++k) {
        float rows[16];
        for (float& v : rows)
            v = any(rng);
        if (k % 2 == 0)
            rows[12] = rows[13] = rows[14] = rows[15] = 1.0f;
        matrices.push_back(FromRows(rows));
    }
    std::vector<std::array<float, 4>> sides = {
        {0, 0, 0, 1}, {-0.0f, 0, -0.0f, 1}, {0, 0, 0, 0}, {198.1f, -1, 199.7f, 1}, {1e30f, 1, 1, 1}};
    for (int k = 0; k < 20; ++k)
        sides.push_back({any(rng), any(rng), any(rng), k % 2 ? 1.0f : any(rng)});

    for (size_t i = 0; i < matrices.size(); ++i) {
        LuFactors4 factors;
        const bool factored = factors.Factor(matrices[i]);
        for (const auto& b : sides) {
            float expected[4] = {-1, -1, -1, -1};
            const bool solved = matrices[i].Solve(expected, b.data());
            ASSERT_EQ(factored, solved) << "matrix " << i;
            if (!solved)
                continue;
            float x[4];
            factors.Solve(b.data(), x);
            EXPECT_EQ(std::memcmp(x, expected, sizeof x), 0)
                << "matrix " << i << ", b = " << b[0] << " " << b[1] << " " << b[2] << " " << b[3]
                << ": " << x[0] << " " << x[1] << " " << x[2] << " " << x[3] << " against "
                << expected[0] << " " << expected[1] << " " << expected[2] << " " << expected[3];
        }
    }
}

}  // namespace
}  // namespace wobble
