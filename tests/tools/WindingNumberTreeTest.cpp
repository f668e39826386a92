#include <gtest/gtest.h>

#include <random>

#include "SceneFixture.h"
#include "TestShapes.h"

namespace wobble::builder {
namespace {

using test::PlaceShape;

const SbVec3d kMiddle(198.0, 0.0, 198.0);

SbVec3d Centre(const PlacedSurface& s) {
    return 0.5 * (s.lower + s.upper);
}

TEST(WindingNumberTree, ClosedSphereIsOneInsideAndZeroOutside) {
    const PlacedSurface s = PlaceShape(test::SphereObj(1.0, 0, 0, 0));
    WindingNumberTree tree;
    tree.Build(s.exactVertices, s.triangles);
    EXPECT_NEAR(tree.ExactWindingNumber(Centre(s)), 1.0, 1e-9);
    EXPECT_NEAR(tree.WindingNumber(Centre(s)), 1.0, 0.02);
    EXPECT_NEAR(tree.WindingNumber(Centre(s) + SbVec3d(15, 5, -10)), 1.0, 0.02);
    EXPECT_NEAR(tree.ExactWindingNumber(Centre(s) + SbVec3d(30, 0, 0)), 0.0, 1e-9);
    EXPECT_NEAR(tree.WindingNumber(Centre(s) + SbVec3d(30, 0, 0)), 0.0, 0.02);
    EXPECT_NEAR(tree.WindingNumber(Centre(s) + SbVec3d(500, 300, 0)), 0.0, 0.02);
}

TEST(WindingNumberTree, ReversedSurfaceGivesMinusOneInside) {
    test::ShapeOptions o;
    o.reversed = true;
    const PlacedSurface s = PlaceShape(test::SphereObj(1.0, 0, 0, 0, o));
    WindingNumberTree tree;
    tree.Build(s.exactVertices, s.triangles);
    EXPECT_NEAR(tree.WindingNumber(Centre(s)), -1.0, 0.02);
}

TEST(WindingNumberTree, TreeAgreesWithTheExactSumAwayFromTheSurface) {
    const PlacedSurface s = PlaceShape(test::TorusObj(1.0, 0.35, {48, 24, false, false}));
    WindingNumberTree tree;
    tree.Build(s.exactVertices, s.triangles);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    int checked = 0;
    for (int n = 0; n < 300; ++n) {
        const SbVec3d p =
            Centre(s) + SbVec3d(30 * unit(random), 10 * unit(random), 30 * unit(random));
        const double exact = tree.ExactWindingNumber(p);
        // Right on the surface the number jumps; compare where it is settled.
        if (std::fabs(exact) > 0.05 && std::fabs(exact - 1.0) > 0.05)
            continue;
        EXPECT_NEAR(tree.WindingNumber(p), exact, 0.03) << p[0] << " " << p[1] << " " << p[2];
        ++checked;
    }
    EXPECT_GT(checked, 200);
}

TEST(WindingNumberTree, SphereWithAnOpenCapStillReadsInsideAsInside) {
    const PlacedSurface s = PlaceShape(test::HoleySphereObj(4));
    WindingNumberTree tree;
    tree.Build(s.exactVertices, s.triangles);
    const double w = tree.WindingNumber(Centre(s) - SbVec3d(0, 5, 0));
    EXPECT_GT(w, 0.6);
    EXPECT_LT(w, 1.0);
}

TEST(WindingNumberTree, EmptyTreeIsZeroEverywhere) {
    WindingNumberTree tree;
    tree.Build({}, {});
    EXPECT_EQ(tree.WindingNumber(kMiddle), 0.0);
}

}  // namespace
}  // namespace wobble::builder
