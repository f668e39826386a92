#include <gtest/gtest.h>

#include "TestFiles.h"
#include "builder/ObjModel.h"

namespace wobble::builder {
namespace {

using test::CaptureStderr;

// Fills the model with leftovers, so that a refusal is seen to empty it.
void FillWithJunk(ObjModel& model) {
    model.vertices.assign(3, SbVec3d(7, 7, 7));
    model.triangles.assign(2, {9, 9, 9});
    model.faceCount = 5;
}

struct RefusalCase {
    const char* text;
    const char* message;
};

// Parses the case's text as m.obj into a model full of leftovers and checks
// that it is refused with the case's message and left without vertices;
// returns the model for the checks particular to the case.
ObjModel ExpectRefused(const RefusalCase& c) {
    ObjModel model;
    FillWithJunk(model);
    bool ok = true;
    const std::string err =
        CaptureStderr([&] { ok = test::Reported(model.Parse("m.obj", c.text)); });
    EXPECT_FALSE(ok) << c.text;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_TRUE(model.vertices.empty());
    return model;
}

using Triangle = std::array<int, 3>;

TEST(ObjModel, EveryCornerFormGivesTheVertexIndex) {
    ObjModel model;
    ASSERT_TRUE(model.Parse("m.obj",
                            "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n"
                            "vt 0 0\nvn 0 0 1\n"
                            "f 1 2 3\nf 1/1 2/1 4/1\nf 1/1/1 3/1/1 4/1/1\nf 2//1 3//1 4//1\n"));
    ASSERT_EQ(model.vertices.size(), 4u);
    EXPECT_EQ(model.vertices[3], SbVec3d(0, 0, 1));
    ASSERT_EQ(model.triangles.size(), 4u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
    EXPECT_EQ(model.triangles[1], (Triangle{0, 1, 3}));
    EXPECT_EQ(model.triangles[2], (Triangle{0, 2, 3}));
    EXPECT_EQ(model.triangles[3], (Triangle{1, 2, 3}));
    EXPECT_EQ(model.faceCount, 4);
}

TEST(ObjModel, NegativeIndicesCountBackFromTheLatestVertex) {
    ObjModel model;
    ASSERT_TRUE(
        model.Parse("m.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nv 5 5 5\nf -1 -2 -3\n"));
    ASSERT_EQ(model.triangles.size(), 2u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
    EXPECT_EQ(model.triangles[1], (Triangle{3, 2, 1}));
}

TEST(ObjModel, PolygonsAreCutIntoFansFromTheFirstCorner) {
    ObjModel model;
    ASSERT_TRUE(
        model.Parse("m.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv -1 1 0\nf 1 2 3 4 5\n"));
    ASSERT_EQ(model.triangles.size(), 3u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
    EXPECT_EQ(model.triangles[1], (Triangle{0, 2, 3}));
    EXPECT_EQ(model.triangles[2], (Triangle{0, 3, 4}));
    EXPECT_EQ(model.faceCount, 1);
    EXPECT_EQ(model.polygonCount, 1);
}

TEST(ObjModel, FacesMayNameVerticesThatComeLater) {
    ObjModel model;
    ASSERT_TRUE(model.Parse("m.obj", "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"));
    ASSERT_EQ(model.triangles.size(), 1u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
}

TEST(ObjModel, StatementsWithoutShapeAreSkipped) {
    ObjModel model;
    ASSERT_TRUE(model.Parse("m.obj",
                            "# comment\nmtllib a.mtl\no thing\ng part\ns 1\nusemtl red\n"
                            "vp 0.5\nvn 0 1 0\nvt 0.5 0.5 0\nl 1 2\np 1\ncstype bezier\n"
                            "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    EXPECT_EQ(model.vertices.size(), 3u);
    EXPECT_EQ(model.triangles.size(), 1u);
}

TEST(ObjModel, WindowsLineEndsTabsPlusSignsAndContinuationsAreRead) {
    ObjModel model;
    ASSERT_TRUE(
        model.Parse("m.obj", "v\t+1.5e0 0 0\r\nv 0 1 0 1.0\r\nv 0 0 1\r\nf 1 \\\r\n 2 3\r\n"));
    ASSERT_EQ(model.vertices.size(), 3u);
    EXPECT_EQ(model.vertices[0], SbVec3d(1.5, 0, 0));
    ASSERT_EQ(model.triangles.size(), 1u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
}

TEST(ObjModel, FacesOfFewerThanThreeCornersAndRepeatedCornersAreLeftOut) {
    ObjModel model;
    ASSERT_TRUE(model.Parse("m.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\nf 1 1 2\nf 1 2 2 3\n"));
    EXPECT_EQ(model.shortFaceCount, 1);
    EXPECT_EQ(model.collapsedTriangleCount, 2);
    ASSERT_EQ(model.triangles.size(), 1u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
}

TEST(ObjModel, BadIndicesAreRefusedWithTheirLine) {
    const RefusalCase cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", "m.obj:4: face corner index 0"},
        {"v 0 0 0\nv 1 0 0\nf -3 1 2\n", "m.obj:3: face corner -3 reaches back"},
        {"v 0 0 0\nv 1 0 0\nf 1 2 9\nv 0 1 0\n", "m.obj:3: face corner 9 is beyond the file's 3"},
        {"v 0 0 0\nf 1 a 2\n", "m.obj:2: face corner \"a\""},
        {"v 0 0 0\nf 1 2 99999999999999999999\n", "m.obj:2: face corner \"9999"},
    };
    for (const RefusalCase& c : cases) {
        const ObjModel model = ExpectRefused(c);
        EXPECT_TRUE(model.triangles.empty());
        EXPECT_EQ(model.faceCount, 0);
    }
}

TEST(ObjModel, BadVerticesAreRefusedWithTheirLine) {
    const RefusalCase cases[] = {
        {"v 0 0\n", "m.obj:1: vertex 1 has 2 of its 3 coordinates"},
        {"v 0 0 0\n\nv 1 x 0\n", "m.obj:3: vertex coordinate \"x\" is not a number"},
        {"v 0 nan 0\n", "m.obj:1: vertex 1 has a coordinate that is not finite"},
        {"v 0 1e999 0\n", "m.obj:1: vertex coordinate"},
    };
    for (const RefusalCase& c : cases)
        ExpectRefused(c);
}

TEST(ObjModel, BinaryGarbageIsReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    ObjModel model;
    bool ok = false;
    CaptureStderr([&] { ok = model.Parse("m.obj", garbage).ok(); });
    // Whatever it decides, it decides with its arrays consistent.
    for (const auto& tri : model.triangles) {
        for (int corner : tri)
            EXPECT_LT(corner, static_cast<int>(model.vertices.size()));
    }
    (void)ok;
}

TEST(ObjModel, MissingFileAndFolderAreRefusedByName) {
    test::ScratchDir dir;
    ObjModel model;
    std::string err =
        CaptureStderr([&] { EXPECT_FALSE(test::Reported(model.Load(dir.Path("none.obj")))); });
    EXPECT_NE(err.find("none.obj: cannot open the file"), std::string::npos) << err;
    err = CaptureStderr([&] { EXPECT_FALSE(test::Reported(model.Load(dir.path()))); });
    EXPECT_NE(err.find("is a folder"), std::string::npos) << err;
}

TEST(ObjModel, EmptyFileLoadsAsNothing) {
    test::ScratchDir dir;
    ObjModel model;
    FillWithJunk(model);
    EXPECT_TRUE(model.Load(dir.Write("empty.obj", "")));
    EXPECT_TRUE(model.vertices.empty());
    EXPECT_TRUE(model.triangles.empty());
    EXPECT_EQ(model.lineCount, 0);
}

}  // namespace
}  // namespace wobble::builder
