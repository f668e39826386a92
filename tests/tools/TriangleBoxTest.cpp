#include <gtest/gtest.h>

#include "builder/TriangleBox.h"

namespace wobble::builder {
namespace {

const SbVec3d kCentre(0, 0, 0);
const SbVec3d kHalf(1, 1, 1);

TEST(TriangleBox, TriangleThroughTheBoxTouches) {
    EXPECT_TRUE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(-5, -5, 0), SbVec3d(5, -5, 0),
                                   SbVec3d(0, 5, 0)));
}

TEST(TriangleBox, TriangleInsideTheBoxTouches) {
    EXPECT_TRUE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(0.1, 0, 0), SbVec3d(0, 0.1, 0),
                                   SbVec3d(0, 0, 0.1)));
}

TEST(TriangleBox, TriangleOnAFaceTouchesAndJustBeyondDoesNot) {
    EXPECT_TRUE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(1, -3, -3), SbVec3d(1, 3, -3),
                                   SbVec3d(1, 0, 3)));
    EXPECT_FALSE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(1.001, -3, -3), SbVec3d(1.001, 3, -3),
                                    SbVec3d(1.001, 0, 3)));
}

TEST(TriangleBox, BoundingBoxesOverlapButThePlaneMisses) {
    // A slanted triangle whose box covers the cube's corner region, but whose
    // plane x + y + z = 3.5 passes beyond the corner (1, 1, 1).
    EXPECT_FALSE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(3.5, 0, 0), SbVec3d(0, 3.5, 0),
                                    SbVec3d(0, 0, 3.5)));
    EXPECT_TRUE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(2.9, 0, 0), SbVec3d(0, 2.9, 0),
                                   SbVec3d(0, 0, 2.9)));
}

TEST(TriangleBox, PlaneCrossesTheBoxButTheTriangleIsBesideIt) {
    // In the plane z = 0 through the box, but off to the side past a corner:
    // only an edge-cross-axis separates it.
    // Its near edge runs along x + y = 2.5, beyond the corner (1, 1) at 2.
    EXPECT_FALSE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(-0.5, 3, 0), SbVec3d(3, -0.5, 0),
                                    SbVec3d(3, 3, 0)));
    // Along x + y = 1.5 it cuts the corner off.
    EXPECT_TRUE(TriangleTouchesBox(kCentre, kHalf, SbVec3d(-1, 2.5, 0), SbVec3d(2.5, -1, 0),
                                   SbVec3d(3, 3, 0)));
}

TEST(TriangleBox, BoxOffTheOriginIsHonoured) {
    const SbVec3d centre(10, 20, 30);
    EXPECT_TRUE(TriangleTouchesBox(centre, SbVec3d(0.5, 0.5, 0.5), SbVec3d(10, 20, 30),
                                   SbVec3d(11, 20, 30), SbVec3d(10, 21, 30)));
    EXPECT_FALSE(TriangleTouchesBox(centre, SbVec3d(0.5, 0.5, 0.5), SbVec3d(0, 0, 0),
                                    SbVec3d(1, 0, 0), SbVec3d(0, 1, 0)));
}

}  // namespace
}  // namespace wobble::builder
