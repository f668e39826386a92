#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "water/WaterSurface.h"

namespace wobble {
namespace {

constexpr float kJunkVelocity = 7.25f;
constexpr int kJunkIndex = -7;

int Cell(const WaterSurface& w, int i, int j) {
    return i * w.cellsZ + j;
}
float Height(const WaterSurface& w, int i, int j) {
    return w.positions[Cell(w, i, j)][1];
}
float Velocity(const WaterSurface& w, int i, int j) {
    return w.velocities[Cell(w, i, j)];
}

// The scene's grid, with every velocity and scratch entry set to junk so that
// "left untouched" and "set to 0" can be told apart.
WaterSurface SceneWater(float radius) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(100, 100, 4.0f, 4.0f, radius));
    for (float& v : w.velocities)
        v = kJunkVelocity;
    for (int& r : w.rimCells)
        r = kJunkIndex;
    return w;
}

double TotalHeight(const WaterSurface& w) {
    double total = 0.0;
    for (const SbVec3f& p : w.positions)
        total += p[1];
    return total;
}

void ExpectUnchanged(const WaterSurface& after, const WaterSurface& before) {
    ASSERT_EQ(after.positions.size(), before.positions.size());
    for (size_t c = 0; c < after.positions.size(); ++c) {
        ASSERT_EQ(after.positions[c], before.positions[c]) << "cell " << c;
        ASSERT_EQ(after.velocities[c], before.velocities[c]) << "cell " << c;
    }
}

// Heights that differ from cell to cell, so a change anywhere shows.
void Ripple(WaterSurface& w) {
    for (size_t c = 0; c < w.positions.size(); ++c)
        w.positions[c][1] = -1.0f + 0.001f * static_cast<float>(c % 97);
}

TEST(WaterDisplace, BeforeInitDoesNothing) {
    WaterSurface w;
    w.Displace(SbVec3f(0.0f, -50.0f, 0.0f));
    EXPECT_TRUE(w.positions.empty());
}

TEST(WaterDisplace, PushesFootprintToTheUndersideAndSpreadsTheWaterOverTheRim) {
    // Radius 4 on spacing 4: a 3 x 3 window around cell (10, 10). The centre
    // cell sits 4 below centre.y, the four edge cells lie on the circle (their
    // underside is centre.y itself) and the four corners are outside.
    WaterSurface w = SceneWater(4.0f);
    const WaterSurface before = w;
    w.Displace(SbVec3f(40.0f, -1.5f, 40.0f));

    EXPECT_EQ(Height(w, 10, 10), -5.5f);
    EXPECT_EQ(Velocity(w, 10, 10), 0.0f);
    const int edges[4][2] = {{9, 10}, {11, 10}, {10, 9}, {10, 11}};
    for (const auto& e : edges) {
        EXPECT_EQ(Height(w, e[0], e[1]), -1.5f) << e[0] << "," << e[1];
        EXPECT_EQ(Velocity(w, e[0], e[1]), 0.0f) << e[0] << "," << e[1];
    }
    // Removed: 4.5 + 4 * 0.5 = 6.5, shared by four corners: 1.625 each; the
    // five stopped columns' velocity, 5 * 7.25, goes to them too.
    const int corners[4][2] = {{9, 9}, {9, 11}, {11, 9}, {11, 11}};
    for (const auto& c : corners) {
        EXPECT_EQ(Height(w, c[0], c[1]), -1.0f + 1.625f) << c[0] << "," << c[1];
        EXPECT_EQ(Velocity(w, c[0], c[1]), kJunkVelocity + 9.0625f) << c[0] << "," << c[1];
    }
    // The rim list holds the corners' flat indices in the order met.
    EXPECT_EQ(w.rimCells[0], 909);
    EXPECT_EQ(w.rimCells[1], 911);
    EXPECT_EQ(w.rimCells[2], 1109);
    EXPECT_EQ(w.rimCells[3], 1111);
    EXPECT_EQ(w.rimCells[4], kJunkIndex);
    // Nothing outside the window moved, and the total is kept exactly here.
    for (int i = 0; i < 100; ++i) {
        for (int j = 0; j < 100; ++j) {
            if (i >= 9 && i <= 11 && j >= 9 && j <= 11)
                continue;
            ASSERT_EQ(Height(w, i, j), -1.0f) << i << "," << j;
            ASSERT_EQ(Velocity(w, i, j), kJunkVelocity) << i << "," << j;
        }
    }
    EXPECT_EQ(TotalHeight(w), TotalHeight(before));
}

double TotalVelocity(const WaterSurface& w) {
    double total = 0.0;
    for (float v : w.velocities)
        total += v;
    return total;
}

TEST(WaterDisplace, HeightAndVelocityTotalsAreConservedOnMovingWaterWhenRimCellsExist) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(100, 100, 4.0f, 4.0f, 10.0f));
    for (int s = 0; s < 60; ++s) {
        w.Displace(SbVec3f(100.0f + 2.0f * s, 1.0f, 120.0f + 1.5f * s));
        w.Step(0.03f);
    }
    const double heightBefore = TotalHeight(w);
    const double velocityBefore = TotalVelocity(w);
    const WaterSurface before = w;
    // One more push along the path, deeper, where the water is rebounding.
    w.Displace(SbVec3f(220.0f, -1.0f, 210.0f));
    double removed = 0.0;
    double stopped = 0.0;
    for (size_t c = 0; c < w.positions.size(); ++c) {
        const double d = double(before.positions[c][1]) - double(w.positions[c][1]);
        if (d > 0.0)
            removed += d;
        if (w.velocities[c] == 0.0f)
            stopped += std::fabs(before.velocities[c]);
    }
    ASSERT_GT(removed, 20.0) << "the sphere should have pushed a good deal of water";
    ASSERT_GT(stopped, 1.0) << "the pushed water should have been moving";
    // Only the roundings to float separate the totals.
    EXPECT_NEAR(TotalHeight(w), heightBefore, 1e-4);
    EXPECT_NEAR(TotalVelocity(w), velocityBefore, 1e-4);
}

// The displacement written out plainly, cell by cell, as a check on the
// program's loop: the same sums in the same order, the same roundings.
void ReferenceDisplace(std::vector<float>& h, std::vector<float>& v, int cellsX, int cellsZ,
                       float spacing, float radius, int halfWidth, float x, float y, float z) {
    const float r2 = radius * radius;
    const int ci = static_cast<int>(std::trunc(x / std::trunc(spacing)));
    const int cj = static_cast<int>(std::trunc(z / std::trunc(spacing)));
    double sum = 0.0;
    double velocitySum = 0.0;
    std::vector<int> rim;
    for (int i = std::max(ci - halfWidth, 0); i < std::min(ci + halfWidth + 1, cellsX); ++i) {
        for (int j = std::max(cj - halfWidth, 0); j < std::min(cj + halfWidth + 1, cellsZ); ++j) {
            const float a = x - float(i) * spacing;
            const float b = z - float(j) * spacing;
            const int c = i * cellsZ + j;
            if (!(a * a + b * b <= r2)) {
                rim.push_back(c);
                continue;
            }
            const float inside = (r2 - a * a) - b * b;
            const double underside = double(y) - std::sqrt(double(inside));
            const float excess = float(double(h[c]) - underside);
            if (excess >= 0.0f) {
                h[c] = float(underside);
                velocitySum += double(v[c]);
                v[c] = 0.0f;
                sum += double(excess);
            }
        }
    }
    if (rim.empty())
        return;
    const float share = float(sum / double(rim.size()));
    const float velocityShare = float(velocitySum / double(rim.size()));
    for (int c : rim) {
        h[c] = h[c] + share;
        v[c] = v[c] + velocityShare;
    }
}

TEST(WaterDisplace, MovingWaterGivesTheBitsOfThePlainComputation) {
    // A small grid with waves already running, pushed at centres that clip
    // the window at every edge, sit on a cell, or miss the water entirely.
    constexpr int kCellsX = 9;
    constexpr int kCellsZ = 7;
    constexpr float kSpacing = 4.0f;
    constexpr float kRadius = 6.5f;
    WaterSurface w;
    ASSERT_TRUE(w.Init(kCellsX, kCellsZ, kSpacing, kSpacing, kRadius));
    for (size_t c = 0; c < w.positions.size(); ++c) {
        w.positions[c][1] = -1.0f + 0.37f * std::sin(0.9f * float(c));
        w.velocities[c] = 0.8f * std::cos(1.3f * float(c));
    }
    std::vector<float> h(w.positions.size());
    for (size_t c = 0; c < h.size(); ++c)
        h[c] = w.positions[c][1];
    std::vector<float> v = w.velocities;
    const float centres[][3] = {{0.0f, 0.5f, 0.0f},     {17.3f, -0.2f, 11.9f}, {33.0f, 1.0f, 25.5f},
                                {-3.0f, 0.0f, 13.0f},   {16.0f, -1.2f, 12.0f}, {21.7f, 3.0f, -2.5f},
                                {500.0f, 0.0f, 500.0f}, {9.9f, 0.25f, 20.1f}};
    int pushedCalls = 0;
    for (const auto& c : centres) {
        const std::vector<float> vBefore = v;
        w.Displace(SbVec3f(c[0], c[1], c[2]));
        ReferenceDisplace(h, v, kCellsX, kCellsZ, kSpacing, kRadius, w.halfWidthX, c[0], c[1],
                          c[2]);
        pushedCalls += v != vBefore;
        for (size_t n = 0; n < h.size(); ++n) {
            ASSERT_EQ(w.positions[n][1], h[n]) << "cell " << n << ", centre " << c[0];
            ASSERT_EQ(w.velocities[n], v[n]) << "cell " << n << ", centre " << c[0];
        }
        w.Step(0.03f);
        for (size_t n = 0; n < h.size(); ++n)
            h[n] = w.positions[n][1];
        v = w.velocities;
    }
    EXPECT_GE(pushedCalls, 5) << "most centres should push moving water";
}

// Radii and centres for which displacing changes no height: a window wholly
// outside the grid or a centre that is not finite (nothing is collected), a
// sphere above the water (the rim is collected and receives shares of 0), a
// radius that is not a number (the whole window is collected) or negative
// (an empty window).
TEST(WaterDisplace, TheseRadiiAndCentresChangeNoHeight) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float nearX = -(1 + 1) * 4.0f;  // -(halfWidthX + 1) * spacingX
    enum Rim { kUntouched, kCollected, kWholeWindow, kUnchecked };
    const struct {
        float radius;
        SbVec3f centre;
        Rim rim;
    } cases[] = {
        {4.0f, SbVec3f(nearX, -20.0f, 40.0f), kUntouched},
        {4.0f, SbVec3f(40.0f, -20.0f, nearX), kUntouched},
        {4.0f, SbVec3f(-100.0f, -20.0f, -100.0f), kUntouched},
        {4.0f, SbVec3f(4.0f * 101, -20.0f, 40.0f), kUntouched},
        {4.0f, SbVec3f(40.0f, -20.0f, 4.0f * 101), kUntouched},
        {4.0f, SbVec3f(1e30f, -20.0f, 40.0f), kUntouched},
        {4.0f, SbVec3f(-1e30f, -20.0f, -3e38f), kUntouched},
        {6.0f, SbVec3f(nan, -20.0f, 40.0f), kUnchecked},
        {6.0f, SbVec3f(40.0f, nan, 40.0f), kUnchecked},
        {6.0f, SbVec3f(40.0f, -20.0f, nan), kUnchecked},
        {6.0f, SbVec3f(inf, -20.0f, 40.0f), kUnchecked},
        {6.0f, SbVec3f(40.0f, -inf, 40.0f), kUnchecked},
        {6.0f, SbVec3f(40.0f, -20.0f, -inf), kUnchecked},
        {6.0f, SbVec3f(40.0f, 10.0f, 40.0f), kCollected},  // underside 4 at the lowest
        {nan, SbVec3f(40.0f, -20.0f, 40.0f), kWholeWindow},
        {-10.0f, SbVec3f(40.0f, -20.0f, 40.0f), kUnchecked},
    };
    for (const auto& c : cases) {
        WaterSurface w = SceneWater(c.radius);
        Ripple(w);
        const WaterSurface before = w;
        w.Displace(c.centre);
        ExpectUnchanged(w, before);
        if (c.rim == kUntouched) {
            EXPECT_EQ(w.rimCells[0], kJunkIndex);
        } else if (c.rim == kCollected) {
            EXPECT_NE(w.rimCells[0], kJunkIndex);
        } else if (c.rim == kWholeWindow) {
            EXPECT_EQ(w.rimCells[0], Cell(w, 10, 10));
        }
    }
    EXPECT_EQ(SceneWater(-10.0f).rimCapacity, 0);
    // One step closer and the window reaches the grid's first and last rows.
    WaterSurface w = SceneWater(4.0f);
    w.Displace(SbVec3f(nearX + 4.0f, -20.0f, 40.0f));
    EXPECT_NE(Height(w, 0, 10), -1.0f);
    WaterSurface far = SceneWater(4.0f);
    far.Displace(SbVec3f(400.0f, -20.0f, 40.0f));
    EXPECT_NE(Height(far, 99, 10), -1.0f);
}

TEST(WaterDisplace, ExcessOfExactlyZeroCountsAsPushed) {
    // Centre cell's underside: 3 - 4 = -1, the rest height.
    WaterSurface w = SceneWater(4.0f);
    w.Displace(SbVec3f(40.0f, 3.0f, 40.0f));
    EXPECT_EQ(Height(w, 10, 10), -1.0f);
    EXPECT_EQ(Velocity(w, 10, 10), 0.0f) << "a pushed cell is stopped";
    // The circle cells' underside is 3, above the water: left alone, not collected.
    EXPECT_EQ(Velocity(w, 9, 10), kJunkVelocity);
    EXPECT_EQ(Height(w, 9, 10), -1.0f);
    // Only the four corners were collected.
    EXPECT_EQ(w.rimCells[0], 909);
    EXPECT_EQ(w.rimCells[3], 1111);
    EXPECT_EQ(w.rimCells[4], kJunkIndex);
    EXPECT_EQ(Height(w, 9, 9), -1.0f);
}

TEST(WaterDisplace, EdgeClippedWindowWithNoCellOutsideTheFootprintLosesTheWater) {
    // A 2 x 2 grid under a radius-6 sphere: the 5 x 5 window is clipped to the
    // four cells, all inside the footprint, so nobody receives the water.
    WaterSurface w;
    EXPECT_TRUE(w.Init(2, 2, 4.0f, 4.0f, 6.0f));
    for (float& v : w.velocities)
        v = kJunkVelocity;
    for (int& r : w.rimCells)
        r = kJunkIndex;
    w.Displace(SbVec3f(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(Height(w, 0, 0), -6.0f);
    const float edge = static_cast<float>(0.0 - std::sqrt(double(36.0f - 16.0f - 0.0f)));
    EXPECT_EQ(Height(w, 1, 0), edge);
    EXPECT_EQ(Height(w, 0, 1), edge);
    EXPECT_EQ(Height(w, 1, 1), static_cast<float>(-std::sqrt(4.0)));
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(w.velocities[c], 0.0f);
    EXPECT_EQ(w.rimCells[0], kJunkIndex);
    EXPECT_LT(TotalHeight(w), -4.0 - 10.0);
}

TEST(WaterDisplace, CentreXBetweenMinusSpacingAndZeroTruncatesToCellZero) {
    // Radius 4: a window of cells ci - 1 .. ci + 1. With ci = 0 it reaches
    // row 1; had -0.5 been floored to -1 it would stop at row 0.
    WaterSurface w = SceneWater(4.0f);
    w.Displace(SbVec3f(-2.0f, 0.0f, 40.0f));
    // (0, 10) is 2 from the centre: pushed to 0 - sqrt(16 - 4).
    EXPECT_EQ(Height(w, 0, 10), static_cast<float>(-std::sqrt(12.0)));
    // The excess is taken from the underside in double, before it is stored.
    const float excess = static_cast<float>(-1.0 - (0.0 - std::sqrt(12.0)));
    const float share = static_cast<float>(double(excess) / 5.0);
    EXPECT_GT(share, 0.0f);
    // Rim: (0, 9), (0, 11), (1, 9), (1, 10), (1, 11).
    EXPECT_EQ(Height(w, 1, 10), -1.0f + share);
    EXPECT_EQ(Height(w, 1, 9), -1.0f + share);
    EXPECT_EQ(Height(w, 0, 11), -1.0f + share);
    EXPECT_EQ(w.rimCells[0], Cell(w, 0, 9));
    EXPECT_EQ(w.rimCells[4], Cell(w, 1, 11));
    EXPECT_EQ(Height(w, 2, 10), -1.0f);
}

TEST(WaterDisplace, CentreCellDividesBySpacingTruncatedToAWholeNumber) {
    // Spacing 4.5, radius 2 (half-width 0): the window is the centre cell
    // alone. x = 17: 17 / 4 = 4.25 gives cell 4 (at x = 18, 1 away: inside);
    // 17 / 4.5 would give cell 3 (at x = 13.5, outside).
    WaterSurface w;
    EXPECT_TRUE(w.Init(10, 10, 4.5f, 4.5f, 2.0f));
    ASSERT_EQ(w.halfWidthX, 0);
    w.Displace(SbVec3f(17.0f, 0.0f, 18.0f));  // z = 18: cell 4 exactly
    EXPECT_EQ(Height(w, 4, 4), static_cast<float>(-std::sqrt(3.0)));
    EXPECT_EQ(Height(w, 3, 4), -1.0f);
}

TEST(WaterDisplace, SplashPointOnRestingWaterWithSmallRadiusChangesNoHeight) {
    // (30, 2, 30): centre cell (7, 7); the nearest cells lie at d^2 = 8, and
    // with r^2 = 16 their underside 2 - sqrt(8) is above the rest height.
    WaterSurface w = SceneWater(4.0f);
    const WaterSurface before = w;
    w.Displace(SbVec3f(30.0f, 2.0f, 30.0f));
    for (size_t c = 0; c < w.positions.size(); ++c)
        ASSERT_EQ(w.positions[c][1], -1.0f) << c;
    ExpectUnchanged(w, before);
    // The window was cells 6..8 both ways; (6, 6) is collected first.
    EXPECT_EQ(w.rimCells[0], Cell(w, 6, 6));
}

TEST(WaterDisplace, SplashPointWithRadiusSixLowersTheFourNearestCells) {
    WaterSurface w = SceneWater(6.0f);
    w.Displace(SbVec3f(30.0f, 2.0f, 30.0f));
    // r^2 - d^2 = 36 - 8 = 28 > 9 for the four nearest cells only.
    const double underside = 2.0 - std::sqrt(28.0);
    const float lowered = static_cast<float>(underside);
    const float excess = static_cast<float>(-1.0 - underside);
    int rim = 0;
    for (int i = 5; i <= 9; ++i) {
        for (int j = 5; j <= 9; ++j) {
            const float a = 30.0f - i * 4.0f, b = 30.0f - j * 4.0f;
            rim += a * a + b * b > 36.0f;
        }
    }
    EXPECT_EQ(rim, 21);  // only the four nearest cells are inside the footprint
    const float share = static_cast<float>((4.0 * double(excess)) / rim);
    const float velocity = kJunkVelocity + static_cast<float>((4.0 * double(kJunkVelocity)) / rim);
    for (int i = 0; i < 100; ++i) {
        for (int j = 0; j < 100; ++j) {
            const bool inWindow = i >= 5 && i <= 9 && j >= 5 && j <= 9;
            const float a = 30.0f - i * 4.0f, b = 30.0f - j * 4.0f;
            const float d2 = a * a + b * b;
            float expected = -1.0f;
            if (inWindow && d2 == 8.0f)
                expected = lowered;
            if (inWindow && d2 > 36.0f)
                expected = -1.0f + share;
            ASSERT_EQ(Height(w, i, j), expected) << i << "," << j;
            float expectedVelocity = kJunkVelocity;
            if (inWindow && d2 == 8.0f)
                expectedVelocity = 0.0f;
            if (inWindow && d2 > 36.0f)
                expectedVelocity = velocity;
            ASSERT_EQ(Velocity(w, i, j), expectedVelocity) << i << "," << j;
        }
    }
}

TEST(WaterDisplace, RadiusZeroPushesOnlyACentreExactlyOverTheCell) {
    WaterSurface w = SceneWater(0.0f);
    w.Displace(SbVec3f(41.0f, -2.0f, 40.0f));  // 1 off the cell: collected, gets the (zero) sum
    EXPECT_EQ(Height(w, 10, 10), -1.0f);
    EXPECT_EQ(Velocity(w, 10, 10), kJunkVelocity);
    EXPECT_EQ(w.rimCells[0], Cell(w, 10, 10));
    w.Displace(SbVec3f(40.0f, -2.0f, 40.0f));  // exactly over it: pushed, the water is lost
    EXPECT_EQ(Height(w, 10, 10), -2.0f);
    EXPECT_EQ(Velocity(w, 10, 10), 0.0f);
    EXPECT_EQ(TotalHeight(w), -10000.0 - 1.0);
}

TEST(WaterDisplace, UndersideAndExcessAreRoundedToFloatOnlyWhereWritten) {
    // Radius 3 on spacing 4: only the centre cell (10, 10) is inside the
    // footprint; its eight neighbours share its excess. This centre was picked
    // because rounding at any other point gives different bits.
    const float cx = 40.0089989f, cy = 0.381700009f, cz = 40.0063019f;
    WaterSurface w = SceneWater(3.0f);
    ASSERT_EQ(w.halfWidthX, 1);
    const float a = cx - 40.0f, b = cz - 40.0f, r2 = 9.0f;
    const double underside = double(cy) - std::sqrt(double((r2 - a * a) - b * b));
    const float excess = static_cast<float>(-1.0 - underside);
    const float share = static_cast<float>(double(excess) / 8.0);
    // The root of the difference taken in double, and the excess taken from
    // the stored (float) underside, would both give other results.
    ASSERT_NE(static_cast<float>(underside),
              static_cast<float>(double(cy) - std::sqrt(double(r2) - a * a - b * b)));
    ASSERT_NE(share, static_cast<float>(double(-1.0f - static_cast<float>(underside)) / 8.0));

    w.Displace(SbVec3f(cx, cy, cz));
    EXPECT_EQ(Height(w, 10, 10), static_cast<float>(underside));
    for (int i = 9; i <= 11; ++i) {
        for (int j = 9; j <= 11; ++j) {
            if (i == 10 && j == 10)
                continue;
            EXPECT_EQ(Height(w, i, j), -1.0f + share) << i << "," << j;
        }
    }
}

TEST(WaterDisplace, RootOfADifferenceRoundedBelowZeroLeavesTheCellAlone) {
    // a^2 + b^2 rounds to exactly r^2 = 36, yet (36 - a^2) - b^2 rounds below
    // zero: the underside is NaN, and the cell is neither pushed nor collected.
    const float a = 5.79690027f, b = 1.5478847f;
    ASSERT_LE(a * a + b * b, 36.0f);
    ASSERT_LT((36.0f - a * a) - b * b, 0.0f);
    WaterSurface w = SceneWater(6.0f);
    w.Displace(SbVec3f(a, -1.0f, b));  // cell (0, 0) sits at distance (a, b)
    EXPECT_EQ(Height(w, 0, 0), -1.0f);
    EXPECT_EQ(Velocity(w, 0, 0), kJunkVelocity);
    for (int n = 0; n < w.rimCapacity && w.rimCells[n] != kJunkIndex; ++n)
        EXPECT_NE(w.rimCells[n], 0) << "collected";
    // The other cells were pushed and the rim raised: there was a share to miss.
    EXPECT_LT(Height(w, 1, 0), -1.0f);
    EXPECT_GT(Height(w, 3, 2), -1.0f);
    for (const SbVec3f& p : w.positions)
        ASSERT_FALSE(std::isnan(p[1]));
}

TEST(WaterDisplace, HugeRadiusCoversTheWholeGridWithinItsCapacity) {
    // Half-widths saturate at INT_MAX; the window is the whole grid and the
    // scratch list, sized to the grid, still holds every rim cell.
    WaterSurface w;
    EXPECT_TRUE(w.Init(6, 5, 4.0f, 4.0f, 1e12f));
    ASSERT_EQ(w.rimCapacity, 30);
    w.Displace(SbVec3f(10.0f, 0.0f, 10.0f));
    // r^2 is 1e24: every cell is deep inside the footprint and pushed far down.
    for (const SbVec3f& p : w.positions)
        EXPECT_LT(p[1], -1e11f);
}

}  // namespace
}  // namespace wobble
