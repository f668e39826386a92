#include <gtest/gtest.h>

#include "TestFiles.h"
#include "builder/PlacedSurface.h"

namespace wobble::builder {
namespace {

using test::CaptureStderr;

ModelFile Parsed(const std::string& text) {
    ModelFile model;
    EXPECT_TRUE(model.Parse("m.obj", text));
    return model;
}

// A box 4 long (x), 2 high (y) and 1 deep (z), off the origin, plus a stray vertex.
const char* kBox =
    "v 10 5 3\nv 14 5 3\nv 14 7 3\nv 10 7 3\nv 10 5 4\nv 14 5 4\nv 14 7 4\nv 10 7 4\n"
    "v 1000 1000 1000\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

TEST(PlacedSurface, LongestSideTakesTheSizeAndTheBodySitsInTheWater) {
    PlacedSurface placed;
    PlacedSurface junk;
    ASSERT_TRUE(placed.Place(Parsed(kBox), 40.0, "m.obj"));
    EXPECT_DOUBLE_EQ(placed.scale, 10.0);
    // The reader passes on only the vertices faces use.
    EXPECT_EQ(placed.unusedVertexCount, 0);
    ASSERT_EQ(placed.vertices.size(), 8u);
    ASSERT_EQ(placed.triangles.size(), 12u);
    const SbVec3d extent = placed.upper - placed.lower;
    EXPECT_NEAR(extent[0], 40.0, 1e-4);
    EXPECT_NEAR(extent[1], 20.0, 1e-4);
    EXPECT_NEAR(extent[2], 10.0, 1e-4);
    EXPECT_NEAR(0.5 * (placed.lower[0] + placed.upper[0]), 198.0, 1e-4);
    EXPECT_NEAR(0.5 * (placed.lower[2] + placed.upper[2]), 198.0, 1e-4);
    // The underside dips a tenth of the height below the water at rest.
    EXPECT_NEAR(placed.lower[1], -1.0 - 2.0, 1e-4);
    // The double copy is the float positions exactly.
    for (size_t i = 0; i < placed.vertices.size(); ++i) {
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(placed.exactVertices[i][a], static_cast<double>(placed.vertices[i][a]));
    }
}

TEST(PlacedSurface, VerticesKeepTheModelsOrderAndStrayOnesAreLeftOut) {
    // As a reader could hand it over: vertex 1 is used by no face.
    ModelFile model;
    model.vertices = {{0, 0, 0}, {9, 9, 9}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    model.triangles = {{4, 3, 2}, {0, 2, 3}, {0, 4, 2}, {0, 3, 4}};
    model.faceCount = 4;
    PlacedSurface placed;
    ASSERT_TRUE(placed.Place(model, 1.0, "m.obj"));
    EXPECT_EQ(placed.unusedVertexCount, 1);
    ASSERT_EQ(placed.vertices.size(), 4u);
    // Model vertices 0, 2, 3, 4 become 0, 1, 2, 3.
    EXPECT_EQ(placed.triangles[0], (std::array<int, 3>{3, 2, 1}));
    EXPECT_EQ(placed.triangles[1], (std::array<int, 3>{0, 1, 2}));
    EXPECT_LT(placed.vertices[1][0], placed.vertices[0][0] + 1.01f);
    EXPECT_GT(placed.vertices[1][0], placed.vertices[0][0] + 0.99f);
}

TEST(PlacedSurface, ModelsNoCageCanComeFromAreRefused) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"v 0 0 0\nv 1 0 0\n", "m.obj: has no faces (2 vertices, 0 faces)"},
        {"v 0 0 0\nv 1 0 0\nf 1 1 2\n", "every face names one vertex twice"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 2 4 3\n", "flat (0 along z"},
        {"v 0 0 0\nv 1 1 1\nv 2 2 2\nv 3 3 3\nf 1 2 3\nf 2 3 4\n", "every face has zero area"},
        // Corners at one position are one vertex, so the face collapses.
        {"v 5 5 5\nv 5 5 5\nv 5 5 5\nf 1 2 3\n", "every face names one vertex twice"},
    };
    for (const Case& c : cases) {
        PlacedSurface placed;
        placed.vertices.assign(3, SbVec3f(1, 2, 3));
        bool ok = true;
        const std::string err = CaptureStderr(
            [&] { ok = test::Reported(placed.Place(Parsed(c.text), 40.0, "m.obj")); });
        EXPECT_FALSE(ok) << c.text;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_TRUE(placed.vertices.empty());
    }
}

TEST(PlacedSurface, TurningFacesOutwardReversesEveryCornerOrder) {
    PlacedSurface placed;
    ASSERT_TRUE(placed.Place(Parsed(kBox), 40.0, "m.obj"));
    const auto before = placed.triangles;
    placed.TurnFacesOutward();
    ASSERT_EQ(placed.triangles.size(), before.size());
    for (size_t t = 0; t < before.size(); ++t) {
        EXPECT_EQ(placed.triangles[t][0], before[t][0]);
        EXPECT_EQ(placed.triangles[t][1], before[t][2]);
        EXPECT_EQ(placed.triangles[t][2], before[t][1]);
    }
}

TEST(PlacedSurface, AThinButSolidPlateIsAccepted) {
    PlacedSurface placed;
    ASSERT_TRUE(placed.Place(Parsed("v 0 0 0\nv 100 0 0\nv 0 0 100\nv 0 0.01 0\n"
                                    "f 1 2 3\nf 1 2 4\nf 1 3 4\nf 2 3 4\n"),
                             40.0, "m.obj"));
    EXPECT_NEAR(placed.upper[1] - placed.lower[1], 0.004, 1e-5);
}

}  // namespace
}  // namespace wobble::builder
