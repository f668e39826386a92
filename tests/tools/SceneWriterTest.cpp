#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "TestFiles.h"
#include "builder/SceneWriter.h"
#include "softbody/SceneConfig.h"
#include "softbody/SoftBody.h"

namespace wobble::builder {
namespace {

bool SameBits(const SbVec3f& a, const SbVec3f& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Coordinates no short decimal form gives back exactly.
const std::vector<SbVec3f> kPoints = {
    SbVec3f(198.123456f, -1.00000012f, 0.1f), SbVec3f(1e-7f, 3.3333333f, 197.99998f),
    SbVec3f(-250.5f, 7.0f, 1.17549435e-38f),  SbVec3f(0.0f, -0.0f, 123456.789f),
    SbVec3f(205.0f, -4.75f, 190.0f),
};
const std::vector<std::array<int, 4>> kTetras = {{0, 1, 2, 3}, {1, 2, 3, 4}};

TEST(SceneWriter, ModelFileLoadsWithTheProgramsLoaderBitForBit) {
    test::ScratchDir dir;
    const std::string path = dir.Write("body.tet", SceneWriter::TetText(kPoints, kTetras));
    SoftBody body;
    bool ok = false;
    const std::string out =
        test::CaptureStdout([&] { ok = body.LoadTetFile(path, 2.0f, 0.5f).ok(); });
    ASSERT_TRUE(ok);
    EXPECT_EQ(out, "Vertices 5\nTetras   2\nSprings  9\n");
    ASSERT_EQ(body.particleCount, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(SameBits(body.particles[i].position, kPoints[i])) << i;
    EXPECT_EQ(body.tetras[1].cornerIndices[3], 4);
}

TEST(SceneWriter, SurfaceLoadsWithTheProgramsOwnObjReader) {
    test::ScratchDir dir;
    const std::vector<std::array<int, 3>> triangles = {{0, 1, 2}, {2, 3, 4}, {4, 0, 1}};
    const std::string path = dir.Write("surface.obj", SceneWriter::ObjText(kPoints, triangles));
    SurfaceMesh mesh;
    bool ok = false;
    test::CaptureStdout([&] { ok = mesh.LoadMesh(path).ok(); });
    ASSERT_TRUE(ok);
    ASSERT_EQ(mesh.vertexCount, 5);
    ASSERT_EQ(mesh.triangleCount, 3);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(SameBits(mesh.vertices[i], kPoints[i])) << i;
    const int expected[12] = {0, 1, 2, -1, 2, 3, 4, -1, 4, 0, 1, -1};
    for (int s = 0; s < 12; ++s)
        EXPECT_EQ(mesh.vertexIndices[s], expected[s]) << s;
}

TEST(SceneWriter, ConfigLoadsWithTheProgramsConfigReader) {
    test::ScratchDir dir;
    const int controls[8] = {4, 3, 2, 1, 0, 1, 2, 3};
    dir.Write("config.txt", SceneWriter::ConfigText(controls, "42.5", "1.06"));
    dir.Write("body.tet", SceneWriter::TetText(kPoints, kTetras));
    dir.Write("surface.obj", SceneWriter::ObjText(kPoints, {{0, 1, 2}}));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    SoftBody body;
    bool ok = false;
    std::string err;
    const std::string out = test::CaptureStdout(
        [&] { err = test::CaptureStderr([&] { ok = LoadConfig("config.txt", body).ok(); }); });
    std::filesystem::current_path(before);
    ASSERT_TRUE(ok) << err;
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("Loading TET-File: 1 \n"), std::string::npos) << out;
    EXPECT_NE(out.find("Loading OBJ-File: 1\n"), std::string::npos) << out;
    ASSERT_TRUE(body.controller.HasControlParticles());
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(body.controller.controlParticles[k], &body.particles[controls[k]]) << k;
    EXPECT_EQ(body.springs.stiffness[0], 42.5f);
    EXPECT_EQ(body.particles[0].mass, 1.06f);
}

TEST(SceneWriter, FileIsReplacedWholeAndNoTemporaryStays) {
    test::ScratchDir dir;
    const std::string path = dir.Write("config.txt", "old contents that are longer\n");
    ASSERT_TRUE(SceneWriter::WriteFile(path, "new\n"));
    EXPECT_EQ(test::ReadWholeFile(path), "new\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST(SceneWriter, UnwritablePlaceIsReportedAndLeavesNothing) {
    test::ScratchDir dir;
    const std::string path = dir.Path("no/such/folder/config.txt");
    bool ok = true;
    const std::string err =
        test::CaptureStderr([&] { ok = test::Reported(SceneWriter::WriteFile(path, "x")); });
    EXPECT_FALSE(ok);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

}  // namespace
}  // namespace wobble::builder
