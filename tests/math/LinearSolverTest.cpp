#include <gtest/gtest.h>

#include <cmath>

#include "math/LinearSolver.h"
#include "math/Matrix4.h"

namespace wobble {
namespace {

constexpr float kJunk = -12345.678f;

TEST(Matrix4, DefaultIsIdentityAndSolvesToTheRightHandSide) {
    Matrix4 identity;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(identity(r, c), r == c ? 1.0f : 0.0f);
    const float b[4] = {1.5f, -2.25f, 3e-5f, 7.0f};
    float x[4] = {kJunk, kJunk, kJunk, kJunk};
    ASSERT_TRUE(identity.Solve(x, b));
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(x[k], b[k]);
}

// The matrix of a tetra with the given corners: corner c in column c as (x, y, z, 1).
Matrix4 TetraMatrix(const float corners[4][3]) {
    Matrix4 m;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 3; ++r)
            m(r, c) = corners[c][r];
        m(3, c) = 1.0f;
    }
    return m;
}

TEST(Matrix4, SolveGivesBarycentricWeightsAndMultiplyTurnsThemBack) {
    const float corners[4][3] = {{0, 0, 0}, {2, 0, 0}, {0, 4, 0}, {0, 0, 8}};
    const Matrix4 m = TetraMatrix(corners);
    const float point[4] = {0.5f, 1.0f, 2.0f, 1.0f};
    float w[4];
    ASSERT_TRUE(m.Solve(w, point));
    EXPECT_FLOAT_EQ(w[1], 0.25f);
    EXPECT_FLOAT_EQ(w[2], 0.25f);
    EXPECT_FLOAT_EQ(w[3], 0.25f);
    EXPECT_FLOAT_EQ(w[0], 0.25f);
    float back[4];
    m.Multiply(w, back);
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ(back[k], point[k]);
}

TEST(Matrix4, MultiplySumsEachRowInDoubleBeforeRounding) {
    Matrix4 m;
    m(0, 0) = 1.0f;
    m(0, 1) = 1e-8f;
    m(0, 2) = 1e-8f;
    m(0, 3) = 0.0f;
    const float v[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float out[4];
    m.Multiply(v, out);
    // In float, 1 + 1e-8 + 1e-8 stays 1; in double the two small terms add up first.
    EXPECT_EQ(out[0], static_cast<float>(1.0 + double(1e-8f) + double(1e-8f)));
    EXPECT_EQ(out[0], 1.00000002f);
}

TEST(Matrix4, CoplanarCornersAreRefusedAndXIsLeftAlone) {
    const float corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const Matrix4 m = TetraMatrix(corners);
    const float b[4] = {0.25f, 0.25f, 0.0f, 1.0f};
    float x[4] = {kJunk, kJunk, kJunk, kJunk};
    EXPECT_FALSE(m.Solve(x, b));
    for (float v : x)
        EXPECT_EQ(v, kJunk);
}

TEST(SolveLinearSystem, EqualPivotMagnitudesKeepTheUpperRow) {
    // Column 0 holds -2 in row 0 and 2 in row 1. Keeping row 0 as the pivot
    // gives 7.29999971 for x1; swapping the rows would give 7.30000019.
    const float A[9] = {-2.0f, 4.8f, -3.3f, 2.0f, 2.2f, 4.2f, 1.0f, 0.6f, 2.1f};
    const float b[3] = {-2.4f, 3.3f, -2.0f};
    float x[3];
    ASSERT_TRUE(SolveLinearSystem(A, 3, 3, b, x));
    EXPECT_EQ(x[1], 7.29999971f);
    EXPECT_NE(x[1], 7.30000019f);
    EXPECT_FLOAT_EQ(x[0], 110.753349f);
    EXPECT_FLOAT_EQ(x[2], -55.7777901f);
}

TEST(SolveLinearSystem, PivotThresholdIsTwoToTheMinus46Inclusive) {
    const float threshold = std::ldexp(1.0f, -46);
    const float b[2] = {1.0f, 1.0f};
    {
        const float A[4] = {threshold, 0.0f, 0.0f, 1.0f};
        float x[2] = {kJunk, kJunk};
        ASSERT_TRUE(SolveLinearSystem(A, 2, 2, b, x));
        EXPECT_EQ(x[0], std::ldexp(1.0f, 46));
        EXPECT_EQ(x[1], 1.0f);
    }
    {
        const float A[4] = {std::nextafter(threshold, 0.0f), 0.0f, 0.0f, 1.0f};
        float x[2] = {kJunk, kJunk};
        EXPECT_FALSE(SolveLinearSystem(A, 2, 2, b, x));
        EXPECT_EQ(x[0], kJunk);
        EXPECT_EQ(x[1], kJunk);
    }
    {
        // The test applies to the remaining column after elimination too.
        const float A[4] = {1.0f, 0.0f, 1.0f, threshold};
        float x[2];
        ASSERT_TRUE(SolveLinearSystem(A, 2, 2, b, x));
        const float below[4] = {1.0f, 0.0f, 1.0f, std::nextafter(threshold, 0.0f)};
        EXPECT_FALSE(SolveLinearSystem(below, 2, 2, b, x));
    }
}

TEST(SolveLinearSystem, RefusesEmptyAndUnderDeterminedSystemsWithoutTouchingX) {
    const float A[6] = {1, 2, 3, 4, 5, 6};
    const float b[3] = {1, 2, 3};
    float x[3] = {kJunk, kJunk, kJunk};
    EXPECT_FALSE(SolveLinearSystem(A, 2, 3, b, x));
    EXPECT_FALSE(SolveLinearSystem(A, 0, 3, b, x));
    EXPECT_FALSE(SolveLinearSystem(A, 3, 0, b, x));
    for (float v : x)
        EXPECT_EQ(v, kJunk);
}

TEST(SolveLinearSystem, OverDeterminedSystemsUseLeastSquares) {
    {
        const float A[6] = {1, 0, 0, 1, 1, 1};
        const float b[3] = {1, 1, 2};
        float x[2] = {kJunk, kJunk};
        ASSERT_TRUE(SolveLinearSystem(A, 3, 2, b, x));
        EXPECT_EQ(x[0], 1.0f);
        EXPECT_EQ(x[1], 1.0f);
    }
    {
        // Inconsistent: the best fit of y = c through 1, 2 and 6 is their mean, 3.
        const float A[3] = {1, 1, 1};
        const float b[3] = {1, 2, 6};
        float x[1];
        ASSERT_TRUE(SolveLinearSystem(A, 3, 1, b, x));
        EXPECT_EQ(x[0], 3.0f);
    }
    {
        const float A[6] = {1, 1, 2, 2, 3, 3};  // dependent columns
        const float b[3] = {1, 2, 3};
        float x[2] = {kJunk, kJunk};
        EXPECT_FALSE(SolveLinearSystem(A, 3, 2, b, x));
        EXPECT_EQ(x[0], kJunk);
        EXPECT_EQ(x[1], kJunk);
    }
}

TEST(SolveLinearSystem, InputsAreNeverModified) {
    float A[9] = {0, 2, 1, 1, 1, 0, 3, 0, 1};  // needs a row swap
    const float copyA[9] = {0, 2, 1, 1, 1, 0, 3, 0, 1};
    float b[3] = {3, 2, 4};
    float x[3];
    ASSERT_TRUE(SolveLinearSystem(A, 3, 3, b, x));
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(A[k], copyA[k]);
    EXPECT_EQ(b[0], 3.0f);
    EXPECT_FLOAT_EQ(x[0], 1.0f);
    EXPECT_FLOAT_EQ(x[1], 1.0f);
    EXPECT_FLOAT_EQ(x[2], 1.0f);
}

TEST(DenseKit, StridedDotTransposeAndGramWorkInPlace) {
    const float a[6] = {1, 100, 2, 100, 3, 100};
    const float b[3] = {4, 5, 6};
    EXPECT_EQ(StridedDot(3, a, 2, b, 1), 32.0);
    EXPECT_EQ(StridedDot(0, a, 2, b, 1), 0.0);

    // A is 3 x 2: rows (1, 2), (3, 4), (5, 6).
    double A[6] = {1, 2, 3, 4, 5, 6};
    double v[3] = {1, 1, 1};
    TransposeTimesVector(3, 2, A, v, v);
    EXPECT_EQ(v[0], 9.0);
    EXPECT_EQ(v[1], 12.0);
    EXPECT_EQ(v[2], 1.0);  // beyond n: untouched
    GramMatrix(3, 2, A, A);
    EXPECT_EQ(A[0], 35.0);  // 1 + 9 + 25
    EXPECT_EQ(A[1], 44.0);  // 2 + 12 + 30
    EXPECT_EQ(A[2], 0.0);   // below the diagonal
    EXPECT_EQ(A[3], 56.0);  // 4 + 16 + 36
    EXPECT_EQ(A[4], 5.0);   // beyond n*n: untouched
}

TEST(DenseKit, FactorLDLTWritesLBelowTheDiagonalAndReturnsTheDeterminant) {
    double A[4] = {4, 2, -99, 3};  // the lower entry is ignored and overwritten
    double dInv[2];
    EXPECT_EQ(FactorLDLT(2, A, dInv), 8.0);  // pivots 4 and 3 - 2*2/4 = 2
    EXPECT_EQ(A[0], 4.0);
    EXPECT_EQ(A[1], 2.0);
    EXPECT_EQ(A[2], 0.5);
    EXPECT_EQ(A[3], 3.0);
    EXPECT_EQ(dInv[0], 0.25);
    EXPECT_EQ(dInv[1], 0.5);

    double singular[4] = {1, 1, 0, 1};
    EXPECT_EQ(FactorLDLT(2, singular, dInv), 0.0);
    double tiny[1] = {1e-20};
    EXPECT_EQ(FactorLDLT(1, tiny, dInv), 0.0);
    double notANumber[1] = {std::nan("")};
    EXPECT_EQ(FactorLDLT(1, notANumber, dInv), 0.0);
}

}  // namespace
}  // namespace wobble
