#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "builder/ControlParticles.h"

namespace wobble::builder {
namespace {

double Radians(double degrees) {
    return degrees * 3.14159265358979323846 / 180.0;
}

// Grid points of a box of nx x ny x nz unit cells, optionally turned about y.
std::vector<SbVec3f> BoxPoints(int nx, int ny, int nz, double turnDegrees = 0.0) {
    const double c = std::cos(Radians(turnDegrees));
    const double s = std::sin(Radians(turnDegrees));
    std::vector<SbVec3f> points;
    for (int i = 0; i <= nx; ++i) {
        for (int j = 0; j <= ny; ++j) {
            for (int k = 0; k <= nz; ++k) {
                const double x = i - 0.5 * nx, z = k - 0.5 * nz;
                points.emplace_back(static_cast<float>(100 + c * x - s * z), static_cast<float>(j),
                                    static_cast<float>(100 + s * x + c * z));
            }
        }
    }
    return points;
}

void ExpectEightDistinct(const ControlParticles& cp) {
    const std::set<int> distinct(cp.indices, cp.indices + 8);
    EXPECT_EQ(distinct.size(), 8u);
}

TEST(ControlParticles, LongAlongZMakesZTheForwardAxis) {
    const std::vector<SbVec3f> points = BoxPoints(4, 3, 12);
    ControlParticles cp;
    ASSERT_TRUE(cp.Choose(points));
    EXPECT_EQ(cp.forward, SbVec3d(0, 0, 1));
    EXPECT_NEAR(cp.length, 12.0, 1e-6);
    EXPECT_NEAR(cp.width, 4.0, 1e-6);
    ExpectEightDistinct(cp);
    // Front group in the front quarter, rear group in the rear quarter.
    for (int k = 0; k < 4; ++k) {
        EXPECT_GE(points[cp.indices[k]][2], 100 + 6 - 3 - 1e-4) << k;
        EXPECT_LE(points[cp.indices[k + 4]][2], 100 - 6 + 3 + 1e-4) << k;
    }
    // Particles 2 and 3 span the width: the water's radius is half of it.
    EXPECT_FLOAT_EQ(cp.waterRadius, 2.0f);
    // 0 and 1 are the top and the bottom; side is forward x up, so 2 is on the -x side here.
    EXPECT_FLOAT_EQ(points[cp.indices[0]][1], 3.0f);
    EXPECT_FLOAT_EQ(points[cp.indices[1]][1], 0.0f);
    EXPECT_LT(points[cp.indices[2]][0], points[cp.indices[3]][0]);
    EXPECT_FLOAT_EQ(points[cp.indices[4]][1], 3.0f);
    EXPECT_FLOAT_EQ(points[cp.indices[5]][1], 0.0f);
}

TEST(ControlParticles, ForwardPointsFromTheRearGroupToTheFrontGroup) {
    const std::vector<SbVec3f> points = BoxPoints(10, 2, 3);
    ControlParticles cp;
    ASSERT_TRUE(cp.Choose(points));
    EXPECT_EQ(cp.forward, SbVec3d(1, 0, 0));
    EXPECT_EQ(cp.side, SbVec3d(0, 0, 1));
    SbVec3f front(0, 0, 0), rear(0, 0, 0);
    for (int k = 0; k < 4; ++k) {
        front += points[cp.indices[k]];
        rear += points[cp.indices[k + 4]];
    }
    EXPECT_GT(front[0] / 4 - rear[0] / 4, 7.0f);
    // Right (+z here) is particle 2 at the front and 6 at the rear.
    EXPECT_GT(points[cp.indices[2]][2], points[cp.indices[3]][2]);
    EXPECT_GT(points[cp.indices[6]][2], points[cp.indices[7]][2]);
    ExpectEightDistinct(cp);
}

TEST(ControlParticles, BodyLongOnADiagonalIsSteeredAlongIt) {
    const std::vector<SbVec3f> points = BoxPoints(16, 2, 2, 30.0);
    ControlParticles cp;
    ASSERT_TRUE(cp.Choose(points));
    EXPECT_NEAR(cp.forward[0], std::cos(Radians(30.0)), 1e-3);
    EXPECT_NEAR(cp.forward[2], 0.5, 1e-3);
    EXPECT_NEAR(cp.length, 16.0, 1e-3);
    ExpectEightDistinct(cp);
}

TEST(ControlParticles, RoundBodyTakesXAsForward) {
    const std::vector<SbVec3f> points = BoxPoints(6, 6, 6);
    ControlParticles cp;
    ASSERT_TRUE(cp.Choose(points));
    EXPECT_EQ(cp.forward, SbVec3d(1, 0, 0));
    ExpectEightDistinct(cp);
}

TEST(ControlParticles, SingleCellUsesItsEightCorners) {
    const std::vector<SbVec3f> points = BoxPoints(1, 1, 1);
    ControlParticles cp;
    ASSERT_TRUE(cp.Choose(points));
    ExpectEightDistinct(cp);
}

TEST(ControlParticles, FewerThanEightParticlesAreRefused) {
    std::vector<SbVec3f> points = BoxPoints(1, 1, 1);
    points.pop_back();
    ControlParticles cp;
    for (int& index : cp.indices)
        index = 12345;
    EXPECT_FALSE(cp.Choose(points));
    for (int index : cp.indices)
        EXPECT_EQ(index, 12345);
}

}  // namespace
}  // namespace wobble::builder
