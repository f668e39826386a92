#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "TestFiles.h"
#include "water/WaterSurface.h"

namespace wobble {
namespace {

constexpr float kJunk = -12345.678f;
constexpr float kDt = 0.03f;

int Cell(const WaterSurface& w, int i, int j) {
    return i * w.cellsZ + j;
}
float Height(const WaterSurface& w, int i, int j) {
    return w.positions[Cell(w, i, j)][1];
}
void SetHeight(WaterSurface& w, int i, int j, float h) {
    w.positions[Cell(w, i, j)][1] = h;
}

// The wave step written the plainest way: modulo neighbours everywhere, the
// bracket in double in its written order. The real step reorganises the loops
// for speed; this one is the yardstick it must match bit for bit.
void ReferenceStep(WaterSurface& w, float dt) {
    const int cx = w.cellsX, cz = w.cellsZ;
    auto h = [&](int i, int j) { return static_cast<double>(w.positions[i * cz + j][1]); };
    const double k =
        (double(dt) * double(w.waveFactor)) / (double(w.spacingX) * double(w.spacingZ));
    for (int i = 0; i < cx; ++i) {
        for (int j = 0; j < cz; ++j) {
            float& v = w.velocities[i * cz + j];
            const double bracket =
                ((((h((i + cx - 1) % cx, j) - double(w.damping) * double(v)) + h((i + 1) % cx, j)) +
                  h(i, (j + cz - 1) % cz)) +
                 h(i, (j + 1) % cz)) -
                4.0 * h(i, j);
            v = static_cast<float>(double(v) + k * bracket);
        }
    }
    for (int c = 0; c < cx * cz; ++c)
        w.positions[c][1] = w.positions[c][1] + dt * w.velocities[c];
    for (int i = 0; i < cx; ++i) {
        for (int j = 0; j < cz; ++j) {
            const float hc = w.positions[i * cz + j][1];
            w.normals[i * cz + j].setValue(
                (w.positions[((i + 1) % cx) * cz + j][1] - hc) / w.spacingX, 1.0f,
                (w.positions[i * cz + (j + 1) % cz][1] - hc) / w.spacingZ);
        }
    }
}

// Heights and velocities of many magnitudes, so that float and double
// arithmetic part ways often.
void Scramble(WaterSurface& w, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-6, 6);
    for (size_t c = 0; c < w.positions.size(); ++c) {
        w.positions[c][1] = std::ldexp(unit(rng), exponent(rng));
        w.velocities[c] = std::ldexp(unit(rng), exponent(rng));
        w.normals[c].setValue(kJunk, kJunk, kJunk);
    }
}

void ExpectSameBits(const WaterSurface& actual, const WaterSurface& expected) {
    ASSERT_EQ(actual.positions.size(), expected.positions.size());
    for (size_t c = 0; c < actual.positions.size(); ++c) {
        SCOPED_TRACE("cell " + std::to_string(c));
        for (int e = 0; e < 3; ++e) {
            ASSERT_EQ(actual.positions[c][e], expected.positions[c][e]);
            ASSERT_EQ(actual.normals[c][e], expected.normals[c][e]);
        }
        ASSERT_EQ(actual.velocities[c], expected.velocities[c]);
    }
}

// --- Init -------------------------------------------------------------------

TEST(WaterInit, CellsAreStoredRowByRowWithJFastestFlatAndAtRest) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(3, 5, 2.5f, 3.0f, 4.0f));
    ASSERT_EQ(w.positions.size(), 15u);
    ASSERT_EQ(w.normals.size(), 15u);
    ASSERT_EQ(w.velocities.size(), 15u);
    EXPECT_EQ(w.cellsX, 3);
    EXPECT_EQ(w.cellsZ, 5);
    EXPECT_EQ(w.spacingX, 2.5f);
    EXPECT_EQ(w.spacingZ, 3.0f);
    EXPECT_EQ(w.radius, 4.0f);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 5; ++j) {
            const int c = i * 5 + j;
            EXPECT_EQ(w.positions[c], SbVec3f(i * 2.5f, -1.0f, j * 3.0f)) << i << "," << j;
            EXPECT_EQ(w.normals[c], SbVec3f(0.0f, 1.0f, 0.0f));
            EXPECT_EQ(w.velocities[c], 0.0f);
        }
    }
}

struct WindowCase {
    float radius, spacingX, spacingZ;
    int halfWidthX, halfWidthZ, capacity;
};

TEST(WaterInit, HalfWidthsRoundTheRadiusInCellsHalvesUpAndCapacityCoversTheWindow) {
    const WindowCase cases[] = {
        {0.0f, 4.0f, 4.0f, 0, 0, 1}, {4.0f, 4.0f, 4.0f, 1, 1, 9},  {6.0f, 4.0f, 4.0f, 2, 2, 25},
        {5.9f, 4.0f, 4.0f, 1, 1, 9}, {6.0f, 4.0f, 2.0f, 2, 3, 35}, {1.99f, 4.0f, 1.0f, 0, 2, 5},
    };
    for (const WindowCase& wc : cases) {
        SCOPED_TRACE("radius " + std::to_string(wc.radius));
        WaterSurface w;
        EXPECT_TRUE(w.Init(100, 100, wc.spacingX, wc.spacingZ, wc.radius));
        EXPECT_EQ(w.halfWidthX, wc.halfWidthX);
        EXPECT_EQ(w.halfWidthZ, wc.halfWidthZ);
        EXPECT_EQ(w.rimCapacity, wc.capacity);
        EXPECT_EQ(w.rimCells.size(), static_cast<size_t>(wc.capacity));
    }
}

TEST(WaterInit, CapacityNeverExceedsTheGridWhateverTheRadius) {
    const float inf = std::numeric_limits<float>::infinity();
    const float radii[] = {1000.0f, 1e30f, inf, std::numeric_limits<float>::max()};
    for (float radius : radii) {
        WaterSurface w;
        EXPECT_TRUE(w.Init(10, 7, 4.0f, 4.0f, radius));
        EXPECT_EQ(w.rimCapacity, 70) << radius;
        EXPECT_EQ(w.rimCells.size(), 70u);
        EXPECT_GT(w.halfWidthX, 0);
    }
    WaterSurface huge;
    EXPECT_TRUE(huge.Init(10, 7, 4.0f, 4.0f, 1e30f));
    EXPECT_EQ(huge.halfWidthX, INT_MAX);
    EXPECT_EQ(huge.halfWidthZ, INT_MAX);
}

TEST(WaterInit, NotANumberRadiusGivesAOneCellWindow) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(10, 10, 4.0f, 4.0f, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(w.halfWidthX, 0);
    EXPECT_EQ(w.halfWidthZ, 0);
    EXPECT_EQ(w.rimCapacity, 1);
}

TEST(WaterInit, NegativeRadiusBeyondHalfACellGivesAnEmptyWindowNotANegativeCapacity) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(10, 10, 4.0f, 4.0f, -10.0f));  // -2.5 + 0.5 = -2
    EXPECT_EQ(w.halfWidthX, -2);
    EXPECT_EQ(w.rimCapacity, 0);
    EXPECT_TRUE(w.rimCells.empty());
    EXPECT_TRUE(w.Init(10, 10, 4.0f, 4.0f, -1.0f));  // -0.25 + 0.5 truncates to 0
    EXPECT_EQ(w.halfWidthX, 0);
    EXPECT_EQ(w.rimCapacity, 1);
}

struct BadGrid {
    int cellsX, cellsZ;
    float spacingX, spacingZ;
};

TEST(WaterInit, BadCountsOrSpacingsAreRefusedAndLeaveNoCells) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const BadGrid grids[] = {{0, 10, 4.0f, 4.0f},  {10, -3, 4.0f, 4.0f},      {10, 10, 0.5f, 4.0f},
                             {10, 10, 4.0f, 0.0f}, {10, 10, -4.0f, 4.0f},     {10, 10, nan, 4.0f},
                             {10, 10, 4.0f, inf},  {65536, 65536, 4.0f, 4.0f}};
    for (const BadGrid& g : grids) {
        SCOPED_TRACE(std::to_string(g.cellsX) + " x " + std::to_string(g.cellsZ) + " at " +
                     std::to_string(g.spacingX) + ", " + std::to_string(g.spacingZ));
        WaterSurface w;
        EXPECT_TRUE(
            w.Init(20, 20, 4.0f, 4.0f, 6.0f));  // a good grid first: the refusal must undo it
        const Status refused = w.Init(g.cellsX, g.cellsZ, g.spacingX, g.spacingZ, 6.0f);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().file, "water");
        EXPECT_NE(refused.error().message.find("refused"), std::string::npos)
            << refused.error().message;
        EXPECT_EQ(w.cellsX, 0);
        EXPECT_EQ(w.cellsZ, 0);
        EXPECT_TRUE(w.positions.empty());
        EXPECT_TRUE(w.normals.empty());
        EXPECT_TRUE(w.velocities.empty());
        EXPECT_TRUE(w.rimCells.empty());
        EXPECT_EQ(w.rimCapacity, 0);
        // The good grid's memory is returned, not merely marked empty.
        EXPECT_EQ(w.positions.capacity() + w.normals.capacity() + w.velocities.capacity() +
                      w.rimCells.capacity(),
                  0u);
        // Without cells the operations must do nothing, not index empty arrays.
        w.Step(kDt);
        w.Displace(SbVec3f(0.0f, -100.0f, 0.0f));
    }
}

TEST(WaterInit, SpacingOfExactlyOneIsAccepted) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(4, 4, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(w.cellsX, 4);
}

TEST(WaterInit, SecondInitReplacesTheArraysAndReleasesTheFirst) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(60, 50, 4.0f, 4.0f, 20.0f));
    Scramble(w, 3);
    EXPECT_TRUE(w.Init(3, 2, 1.0f, 2.0f, 1.0f));
    EXPECT_EQ(w.cellsX, 3);
    EXPECT_EQ(w.cellsZ, 2);
    EXPECT_EQ(w.positions.capacity(), 6u);
    EXPECT_EQ(w.normals.capacity(), 6u);
    EXPECT_EQ(w.velocities.capacity(), 6u);
    EXPECT_EQ(w.rimCells.capacity(), static_cast<size_t>(w.rimCapacity));
    EXPECT_EQ(w.rimCapacity, 6);  // a 3 x 3 window clipped to the 6 cells of the grid
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(w.positions[c], SbVec3f((c / 2) * 1.0f, -1.0f, (c % 2) * 2.0f));
        EXPECT_EQ(w.velocities[c], 0.0f);
        EXPECT_EQ(w.normals[c], SbVec3f(0.0f, 1.0f, 0.0f));
    }
}

// --- Step -------------------------------------------------------------------

TEST(WaterStep, FlatGridAtRestStaysExactlyFlatAndAtRest) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(100, 100, 4.0f, 4.0f, 6.0f));
    for (SbVec3f& n : w.normals)
        n.setValue(kJunk, kJunk, kJunk);  // the step must rewrite them
    for (int s = 0; s < 500; ++s)
        w.Step(kDt);
    for (int c = 0; c < 100 * 100; ++c) {
        ASSERT_EQ(w.positions[c][1], -1.0f) << c;
        ASSERT_EQ(w.velocities[c], 0.0f) << c;
        ASSERT_EQ(w.normals[c], SbVec3f(0.0f, 1.0f, 0.0f)) << c;
    }
}

TEST(WaterStep, RaisedCellInRowZeroSpreadsToItsFourNeighboursAcrossTheWrap) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(8, 6, 4.0f, 4.0f, 0.0f));
    SetHeight(w, 0, 0, 1.0f);  // 2 above the rest height
    w.Step(kDt);

    const double k = (double(kDt) * 15.0) / 16.0;
    EXPECT_NEAR(k, 0.028125, 1e-9);
    // The raised cell: four neighbours at -1, -4 * 1: bracket -8.
    const float vRaised = static_cast<float>(k * -8.0);
    // Each neighbour: one neighbour at +1, three at -1, -4 * -1: bracket 2.
    const float vNeighbour = static_cast<float>(k * 2.0);
    EXPECT_EQ(w.velocities[Cell(w, 0, 0)], vRaised);
    EXPECT_EQ(Height(w, 0, 0), 1.0f + kDt * vRaised);
    const int neighbours[4][2] = {{1, 0}, {7, 0}, {0, 1}, {0, 5}};  // 7 and 5 across the wrap
    for (const auto& n : neighbours) {
        EXPECT_EQ(w.velocities[Cell(w, n[0], n[1])], vNeighbour) << n[0] << "," << n[1];
        EXPECT_EQ(Height(w, n[0], n[1]), -1.0f + kDt * vNeighbour) << n[0] << "," << n[1];
    }
    // Everyone else saw only resting neighbours.
    int moved = 0;
    for (int c = 0; c < 48; ++c)
        moved += w.velocities[c] != 0.0f;
    EXPECT_EQ(moved, 5);
}

TEST(WaterStep, DampingActsInsideTheBracketAndIsScaledByK) {
    // A 1 x 1 grid is its own neighbour four times over: the Laplacian cancels
    // and only -damping * v is left in the bracket.
    WaterSurface w;
    EXPECT_TRUE(w.Init(1, 1, 4.0f, 4.0f, 0.0f));
    w.velocities[0] = 2.0f;
    SetHeight(w, 0, 0, 0.5f);
    w.Step(kDt);
    const double k = (double(kDt) * 15.0) / 16.0;
    const float v =
        static_cast<float>(2.0 + k * ((((0.5 - double(0.01f) * 2.0) + 0.5) + 0.5) + 0.5 - 2.0));
    EXPECT_EQ(w.velocities[0], v);
    EXPECT_LT(w.velocities[0], 2.0f);
    EXPECT_GT(w.velocities[0], 1.999f);
    EXPECT_EQ(Height(w, 0, 0), 0.5f + kDt * v);
    EXPECT_EQ(w.normals[0], SbVec3f(0.0f, 1.0f, 0.0f));
}

TEST(WaterStep, BracketIsSummedInTheWrittenOrder) {
    // Left and right neighbours of cell 1 cancel, but 2^35 is large enough that
    // subtracting the damping term from it first loses bits of that term.
    // Adding the right neighbour before subtracting would keep them.
    const float big = 34359738368.0f;  // 2^35
    WaterSurface w;
    EXPECT_TRUE(w.Init(3, 1, 4.0f, 4.0f, 0.0f));
    SetHeight(w, 0, 0, big);
    SetHeight(w, 1, 0, 0.0f);
    SetHeight(w, 2, 0, -big);
    w.velocities[1] = 0.3f;
    const double k = (double(kDt) * 15.0) / 16.0;
    const double dv = double(0.01f) * double(0.3f);
    const float written =
        static_cast<float>(double(0.3f) + k * ((((double(big) - dv) - double(big)) + 0.0) + 0.0));
    const float regrouped =
        static_cast<float>(double(0.3f) + k * ((((double(big) - double(big)) - dv) + 0.0) + 0.0));
    ASSERT_NE(written, regrouped);
    w.Step(kDt);
    EXPECT_EQ(w.velocities[1], written);
}

TEST(WaterStep, OneCellAlongZMakesTheCellItsOwnNeighbourThere) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(3, 1, 4.0f, 4.0f, 0.0f));
    SetHeight(w, 0, 0, 0.0f);
    SetHeight(w, 1, 0, 2.0f);
    SetHeight(w, 2, 0, -2.0f);
    w.Step(kDt);
    const double k = (double(kDt) * 15.0) / 16.0;
    // Cell 1: left 0, right -2, below and above itself (2): ((((0 - 0) + -2) + 2) + 2) - 8.
    const float v1 = static_cast<float>(k * -6.0);
    EXPECT_EQ(w.velocities[1], v1);
    // Cell 0: left is cell 2 (wrap), right cell 1.
    const float v0 = static_cast<float>(k * ((((-2.0 + 2.0) + 0.0) + 0.0) - 0.0));
    EXPECT_EQ(w.velocities[0], v0);
    const float h1 = 2.0f + kDt * v1;
    const float h2 = -2.0f + kDt * w.velocities[2];
    EXPECT_EQ(Height(w, 1, 0), h1);
    // Along z the forward neighbour is the cell itself: slope 0.
    EXPECT_EQ(w.normals[1], SbVec3f((h2 - h1) / 4.0f, 1.0f, 0.0f));
}

TEST(WaterStep, OneCellAlongXMakesTheCellItsOwnNeighbourThere) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(1, 4, 4.0f, 4.0f, 0.0f));
    const float h[4] = {1.0f, -3.0f, 0.5f, 2.0f};
    for (int j = 0; j < 4; ++j)
        SetHeight(w, 0, j, h[j]);
    w.Step(kDt);
    const double k = (double(kDt) * 15.0) / 16.0;
    for (int j = 0; j < 4; ++j) {
        const double hc = h[j], hD = h[(j + 3) % 4], hU = h[(j + 1) % 4];
        const float v = static_cast<float>(k * ((((hc - 0.0) + hc) + hD) + hU - 4.0 * hc));
        EXPECT_EQ(w.velocities[j], v) << j;
        EXPECT_EQ(w.normals[j][0], 0.0f) << j;
    }
}

TEST(WaterStep, NormalsOfTheLastRowAndColumnUseRowZeroAndColumnZero) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(4, 5, 2.0f, 4.0f, 0.0f));
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 5; ++j)
            SetHeight(w, i, j, static_cast<float>(i * 10 + j));
    // dt = 0 leaves the heights where they are and only renews the normals.
    w.Step(0.0f);
    // A middle cell: forward differences, divided, not negated.
    EXPECT_EQ(w.normals[Cell(w, 1, 2)], SbVec3f(10.0f / 2.0f, 1.0f, 1.0f / 4.0f));
    // Last row (i = 3): the next row is row 0.
    EXPECT_EQ(w.normals[Cell(w, 3, 2)], SbVec3f((2.0f - 32.0f) / 2.0f, 1.0f, 1.0f / 4.0f));
    // Last column (j = 4): the next column is column 0.
    EXPECT_EQ(w.normals[Cell(w, 1, 4)], SbVec3f(10.0f / 2.0f, 1.0f, (10.0f - 14.0f) / 4.0f));
    // The far corner wraps both ways.
    EXPECT_EQ(w.normals[Cell(w, 3, 4)],
              SbVec3f((4.0f - 34.0f) / 2.0f, 1.0f, (30.0f - 34.0f) / 4.0f));
}

TEST(WaterStep, NormalSlopesAreRealDivisionsNotReciprocalProducts) {
    // 1 / 3 is not exact in float, so x * (1 / 3) and x / 3 part ways for some x.
    WaterSurface w;
    EXPECT_TRUE(w.Init(2, 1, 3.0f, 3.0f, 0.0f));
    bool sawDifference = false;
    for (int n = 1; n < 200 && !sawDifference; ++n) {
        const float d = 0.1f * static_cast<float>(n);
        SetHeight(w, 0, 0, 0.0f);
        SetHeight(w, 1, 0, d);
        w.Step(0.0f);
        ASSERT_EQ(w.normals[0][0], d / 3.0f);
        sawDifference = d / 3.0f != d * (1.0f / 3.0f);
    }
    EXPECT_TRUE(sawDifference) << "no value told division from multiplication";
}

struct GridShape {
    int cellsX, cellsZ;
    float spacingX, spacingZ;
};

TEST(WaterStep, MatchesTheModuloFormulaBitForBitOnEveryShapeOfGrid) {
    const GridShape shapes[] = {{1, 1, 4.0f, 4.0f},    {1, 7, 4.0f, 4.0f},  {7, 1, 4.0f, 4.0f},
                                {2, 2, 4.0f, 4.0f},    {2, 3, 1.5f, 2.5f},  {3, 2, 3.0f, 7.0f},
                                {5, 33, 4.0f, 4.0f},   {33, 5, 1.0f, 3.0f}, {100, 100, 4.0f, 4.0f},
                                {17, 70, 2.75f, 1.25f}};
    unsigned seed = 11;
    for (const GridShape& g : shapes) {
        SCOPED_TRACE(std::to_string(g.cellsX) + " x " + std::to_string(g.cellsZ));
        WaterSurface fast, reference;
        EXPECT_TRUE(fast.Init(g.cellsX, g.cellsZ, g.spacingX, g.spacingZ, 4.0f));
        EXPECT_TRUE(reference.Init(g.cellsX, g.cellsZ, g.spacingX, g.spacingZ, 4.0f));
        Scramble(fast, seed);
        Scramble(reference, seed);
        ++seed;
        for (int s = 0; s < 5; ++s) {
            fast.Step(kDt);
            ReferenceStep(reference, kDt);
            ExpectSameBits(fast, reference);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(WaterStep, VelocityIntermediatesAreHeldInDouble) {
    // The same step done wholly in float would round differently for many of
    // these cells; the step must agree with the double formula, not with it.
    WaterSurface w;
    EXPECT_TRUE(w.Init(32, 32, 4.0f, 4.0f, 0.0f));
    Scramble(w, 99);
    WaterSurface before = w;
    w.Step(kDt);
    const float k = (kDt * 15.0f) / 16.0f;
    int differsFromFloat = 0;
    for (int i = 0; i < 32; ++i) {
        for (int j = 0; j < 32; ++j) {
            auto h = [&](int a, int b) {
                return before.positions[((a + 32) % 32) * 32 + (b + 32) % 32][1];
            };
            const float v = before.velocities[i * 32 + j];
            const float inFloat =
                v + k * (((((h(i - 1, j) - 0.01f * v) + h(i + 1, j)) + h(i, j - 1)) + h(i, j + 1)) -
                         4.0f * h(i, j));
            differsFromFloat += inFloat != w.velocities[i * 32 + j];
        }
    }
    EXPECT_GT(differsFromFloat, 10);
}

}  // namespace
}  // namespace wobble
