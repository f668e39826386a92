#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "mesh/SurfaceMesh.h"
#include "text/LineReader.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::CaptureStdout;
using test::ScratchDir;

struct Loaded {
    bool ok = false;
    std::string out;
    std::string err;
};

template <typename Loader>
Loaded Run(Loader&& load) {
    Loaded r;
    r.err = CaptureStderr([&] { r.out = CaptureStdout([&] { r.ok = test::Reported(load()); }); });
    return r;
}

Loaded Load(SurfaceMesh& mesh, const std::string& path) {
    return Run([&] { return mesh.LoadMesh(path); });
}

std::string Header(const std::string& path, int v, int n, int t, int tri) {
    return "Loading Mesh from file: " + path + "\nFirst pass: get amount of data to store...\n" +
           " Vertices: " + std::to_string(v) + "\n Normals: " + std::to_string(n) +
           "\n Texcoords: " + std::to_string(t) + "\n Triangles: " + std::to_string(tri) +
           "\n Done!\nSecond Pass: get data... ";
}

std::vector<int> Slots(const std::vector<int>& indices, int from, int count) {
    return std::vector<int>(indices.begin() + from, indices.begin() + from + count);
}

void ExpectEmpty(const SurfaceMesh& mesh) {
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.normalCount, 0);
    EXPECT_EQ(mesh.texCoordCount, 0);
    EXPECT_EQ(mesh.triangleCount, 0);
    EXPECT_TRUE(mesh.vertices.empty());
    EXPECT_TRUE(mesh.normals.empty());
    EXPECT_TRUE(mesh.texCoords.empty());
    EXPECT_TRUE(mesh.vertexIndices.empty());
    EXPECT_TRUE(mesh.normalIndices.empty());
    EXPECT_TRUE(mesh.texCoordIndices.empty());
    EXPECT_TRUE(mesh.faceNormals.empty());
    EXPECT_TRUE(mesh.vertexTetra.empty());
    EXPECT_TRUE(mesh.barycentric.empty());
}

const std::string kSquare =
    "v 0 0 0\n"
    "v 1 0 0\n"
    "v 1 1 0\n"
    "v 0 1 0\n"
    "v 0.5 1.5 0\n";

// Every case reads its files from a scratch folder of its own into `mesh`.
class ObjLoader : public ::testing::Test {
protected:
    // Writes `text` as the file `name` and loads it into `mesh`; `path` is
    // then the file's full path.
    Loaded LoadText(const std::string& name, const std::string& text) {
        path = dir.Write(name, text);
        return Load(mesh, path);
    }

    ScratchDir dir;
    SurfaceMesh mesh;
    std::string path;
};

// --- The console lines -----------------------------------------------------

TEST_F(ObjLoader, EmptyFileLoadsWithAllCountsZero) {
    const auto r = LoadText("empty.obj", "");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, Header(path, 0, 0, 0, 0) + "Done!\n\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.normalCount, 0);
    EXPECT_EQ(mesh.triangleCount, 0);
    EXPECT_TRUE(mesh.vertexIndices.empty());
}

TEST_F(ObjLoader, ProgressLinesComeInOrderWithTheCounts) {
    const auto r = LoadText("tri.obj",
                            "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\nvt 1 0\n"
                            "f 1/1/1 2/2/1 3/1/1\n");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, Header(path, 3, 1, 2, 1) + "Done!\n\n");
}

TEST_F(ObjLoader, MissingFileSaysSoAndReadsAsEmpty) {
    const auto absent = dir.Path("absent.obj");
    const auto r = Load(mesh, absent);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "Loading Mesh from file: " + absent +
                         "\nFirst pass: get amount of data to store...\n"
                         "Couldn't open mesh file: " +
                         absent + " \n");
    ExpectEmpty(mesh);
}

TEST_F(ObjLoader, DirectoryCannotBeOpenedAsAMesh) {
    const auto r = Load(mesh, dir.path());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.out.find("Couldn't open mesh file: " + dir.path() + " \n"), std::string::npos);
    ExpectEmpty(mesh);
}

TEST_F(ObjLoader, UnknownVTokenFailsInTheFirstPassBeforeAnythingIsAllocated) {
    const auto r = LoadText("vp.obj", kSquare + "vp 0.5 0.5\nf 1 2 3\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "Loading Mesh from file: " + path +
                         "\nFirst pass: get amount of data to store...\n"
                         "LoadMesh(): Unknown token \"vp\".\n");
    ExpectEmpty(mesh);
}

TEST_F(ObjLoader, MoreTrianglesOnTheSecondReadingFailAtTheArrayBoundary) {
    // The first pass skips the rest of a v line; the second reads only its
    // numbers, and so finds a face the first never counted.
    const auto r = LoadText("bound.obj", "v 0 0 0 f 1 1 1\nv 1 0 0\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, Header(path, 2, 0, 0, 0) + "Error: out of array boundary 4\n");
    ExpectEmpty(mesh);
}

TEST_F(ObjLoader, MoreVerticesOnTheSecondReadingFailWithAClearLine) {
    const auto r = LoadText("twice.obj", "v 0 0 0 v 1 0 0\nv 0 1 0\nf 1 2 2\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind(path + ":2: more vertex lines on the second reading than the 2", 0), 0u)
        << r.err;
    ExpectEmpty(mesh);
}

TEST_F(ObjLoader, FewerVerticesOnTheSecondReadingFailWithAClearLine) {
    // The second v stands 260 characters into its line: the first pass skips
    // 255 characters after the first v and then meets it as a token; the
    // second reads the numbers, skips 255 characters after the stray 4, and
    // so passes over it.
    const auto r =
        LoadText("fewer.obj", "v 1 2 3 4" + std::string(251, ' ') + "v 7 8 9\nv 1 1 1\n");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.err.find("the second reading found 2 vertices, 0 normals, 0 texture coordinates "
                         "and 0 triangles where the first counted 3, 0, 0 and 0"),
              std::string::npos)
        << r.err;
    ExpectEmpty(mesh);
}

// --- Faces -------------------------------------------------------------------

TEST_F(ObjLoader, FacesMakeFanTrianglesOfTheirCorners) {
    const struct {
        const char* what;
        std::string text;
        std::vector<int> slots;
    } cases[] = {
        {"four corners: two fan triangles", kSquare + "f 1 2 3 4\n", {0, 1, 2, -1, 0, 2, 3, -1}},
        {"five corners: three", kSquare + "f 1 2 3 5 4\n", {0, 1, 2, -1, 0, 2, 4, -1, 0, 4, 3, -1}},
        {"a line beginning with a number continues the face",
         kSquare + "f 1 2\n3 4\n5\ng next\n",
         {0, 1, 2, -1, 0, 2, 3, -1, 0, 3, 4, -1}},
        {"negative indices count back from the last vertex read so far",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nv 1 1 0\nf -1 -2 1\n",
         {0, 1, 2, -1, 3, 2, 0, -1}},
        {"two corners or one repeat the first",
         kSquare + "f 2 3\ng x\nf 4\n",
         {1, 2, 1, -1, 3, 3, 3, -1}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(LoadText("face.obj", c.text).ok) << c.what;
        EXPECT_EQ(mesh.vertexIndices, c.slots) << c.what;
        EXPECT_EQ(static_cast<size_t>(mesh.triangleCount) * 4, c.slots.size()) << c.what;
    }
}

TEST_F(ObjLoader, VertexNormalCornersStoreNormalsButNoTextureIndices) {
    const auto r = LoadText("vn.obj", kSquare +
                                          "vn 0 0 1\nvn 0 1 0\nvn 1 0 0\nvn 0 0 -1\n"
                                          "vn 1 1 0\nvn 0 1 1\nf 1//4 2//5 3//6\n");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(mesh.triangleCount, 1);
    EXPECT_EQ(mesh.vertexIndices, (std::vector<int>{0, 1, 2, -1}));
    EXPECT_EQ(mesh.normalIndices, (std::vector<int>{3, 4, 5, -1}));
    EXPECT_TRUE(mesh.texCoordIndices.empty());  // the file has no texture coordinates
    EXPECT_EQ(mesh.normals[3], SbVec3f(0, 0, -1));
}

TEST_F(ObjLoader, VertexTexCornersStoreTextureIndicesButNoNormals) {
    std::string text = kSquare;
    for (int i = 0; i < 9; ++i)
        text += "vt 0." + std::to_string(i) + " 1\n";
    ASSERT_TRUE(LoadText("vt.obj", text + "f 1/7 2/8 3/9\n").ok);
    EXPECT_EQ(mesh.vertexIndices, (std::vector<int>{0, 1, 2, -1}));
    EXPECT_EQ(mesh.texCoordIndices, (std::vector<int>{6, 7, 8, -1}));
    EXPECT_TRUE(mesh.normalIndices.empty());  // the file has no normals
    EXPECT_EQ(mesh.texCoords[8], SbVec2f(0.8f, 1.0f));
}

TEST_F(ObjLoader, MixedFormsPackEachIndexArrayFromItsOwnWritePosition) {
    const auto r = LoadText("mixed.obj", kSquare +
                                             "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\nvn 0 0 -1\n"
                                             "f 1 2 3\n"
                                             "f 1/1/2 3/3/2 4/2/1\n"
                                             "f 2//1 3//1 5//2 4//2\n");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(mesh.triangleCount, 4);
    EXPECT_EQ(mesh.vertexIndices,
              (std::vector<int>{0, 1, 2, -1, 0, 2, 3, -1, 1, 2, 4, -1, 1, 4, 3, -1}));
    // Normals come from faces 2 and 3 (three triangles), packed from slot 0.
    EXPECT_EQ(Slots(mesh.normalIndices, 0, 12),
              (std::vector<int>{1, 1, 0, -1, 0, 0, 1, -1, 0, 1, 1, -1}));
    EXPECT_EQ(Slots(mesh.normalIndices, 12, 4), (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(Slots(mesh.texCoordIndices, 0, 4), (std::vector<int>{0, 2, 1, -1}));
    EXPECT_EQ(Slots(mesh.texCoordIndices, 4, 12), std::vector<int>(12, -1));
}

TEST_F(ObjLoader, IndexOnePastItsKindFailsInEveryCornerFormAndPlace) {
    // 5 vertices, 2 texture coordinates, 3 normals; the face is line 11. Each
    // case names one index just outside its kind (or 0), in each corner form,
    // as a triangle's first or last corner or a fan's later one; the first
    // pass has counted everything by then.
    const std::string kinds = kSquare + "vt 0 0\nvt 1 0\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n";
    const struct {
        const char* face;
        const char* problem;
    } cases[] = {
        {"f 1 0 2", "face index 0 names no vertices: indices count from 1"},
        {"f 1 2 6", "face index 6 is beyond the file's 5 vertices"},
        {"f 6 1 2", "face index 6 is beyond the file's 5 vertices"},
        {"f 1 2 3 6", "face index 6 is beyond the file's 5 vertices"},
        {"f -6 1 2", "face index -6 reaches back past the 5 vertices read before it"},
        {"f 1/1 2/2 6/1", "face index 6 is beyond the file's 5 vertices"},
        {"f 1/1 2/3 3/1", "face index 3 is beyond the file's 2 texture coordinates"},
        {"f 1/-3 2/1 3/1",
         "face index -3 reaches back past the 2 texture coordinates read "
         "before it"},
        {"f 1//1 2//4 3//1", "face index 4 is beyond the file's 3 normals"},
        {"f 1/1/1 2/2/2 6/1/1", "face index 6 is beyond the file's 5 vertices"},
        {"f 1/1/1 2/3/2 3/1/1", "face index 3 is beyond the file's 2 texture coordinates"},
        {"f 1/1/1 2/2/2 3/1/4", "face index 4 is beyond the file's 3 normals"},
        {"f 1/1/1 2/2/2 3/1/1 4/2/4", "face index 4 is beyond the file's 3 normals"},
    };
    for (const auto& c : cases) {
        const auto r = LoadText("far.obj", kinds + c.face + "\n");
        EXPECT_FALSE(r.ok) << c.face;
        EXPECT_EQ(r.err, path + ":11: " + c.problem + "\n");
        const int corners = static_cast<int>(std::count(c.face, c.face + std::strlen(c.face), ' '));
        EXPECT_EQ(r.out, Header(path, 5, 3, 2, corners - 2)) << c.face;
        ExpectEmpty(mesh);
    }
    // The last of each kind, counted from either end, is fine.
    ASSERT_TRUE(LoadText("edge.obj", kinds + "f 5/2/3 -5/-2/-3 1/1/1\n").ok);
    EXPECT_EQ(mesh.vertexIndices, (std::vector<int>{4, 0, 0, -1}));
    EXPECT_EQ(mesh.texCoordIndices, (std::vector<int>{1, 0, 0, -1}));
    EXPECT_EQ(mesh.normalIndices, (std::vector<int>{2, 0, 0, -1}));
}

TEST_F(ObjLoader, NegativeIndexReachingBeforeTheFirstVertexFails) {
    const auto r = LoadText("before.obj", "v 0 0 0\nv 1 0 0\nf -1 -2 -3\nv 0 1 0\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, path + ":3: face index -3 reaches back past the 2 vertices read before it\n");
}

TEST_F(ObjLoader, FaceWithoutAnyCornerFails) {
    const auto r = LoadText("nocorner.obj", kSquare + "f\ng x\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, path + ":7: face corner \"g\" holds no vertex index\n");

    const auto atEnd = dir.Write("atend.obj", kSquare + "f");
    const auto r2 = Load(mesh, atEnd);
    EXPECT_FALSE(r2.ok);
    EXPECT_EQ(r2.err, atEnd + ":6: the file ends in a face without corners\n");
}

// --- Lines that are not data ---------------------------------------------------

TEST_F(ObjLoader, CommentGroupMaterialAndSmoothingLinesChangeNoCount) {
    const std::string body = kSquare + "f 1 2 3\n";
    const auto plain = dir.Write("plain.obj", body);
    const auto decorated = dir.Write(
        "decorated.obj", "# made by hand\nmtllib skin.mtl\no body\ng hull\nusemtl orange\n" +
                             kSquare + "s 1\n# v 9 9 9\n#f 1 2 3\nf 1 2 3\ns off\n");
    SurfaceMesh a, b;
    ASSERT_TRUE(Load(a, plain).ok);
    ASSERT_TRUE(Load(b, decorated).ok);
    EXPECT_EQ(b.vertexCount, a.vertexCount);
    EXPECT_EQ(b.normalCount, 0);
    EXPECT_EQ(b.texCoordCount, 0);
    EXPECT_EQ(b.triangleCount, a.triangleCount);
    EXPECT_EQ(b.vertexIndices, a.vertexIndices);
}

TEST_F(ObjLoader, TextureLineWithThreeNumbersCountsOnce) {
    ASSERT_TRUE(LoadText("vt3.obj", "vt 0.25 0.5 0.75\nvt 1 1 1\nv 0 0 0\n").ok);
    EXPECT_EQ(mesh.texCoordCount, 2);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(mesh.texCoords[0], SbVec2f(0.25f, 0.5f));
}

TEST_F(ObjLoader, LongTokenIsReadIn255CharacterPieces) {
    // A 600-character comment word: its first 255 characters are a token,
    // the line skip takes 255 more, and the rest is a token of its own whose
    // line skip swallows the v behind it, on both readings alike.
    const auto r =
        LoadText("long.obj", "#" + std::string(599, 'x') + " v 9 9 9\nv 1 2 3\nv 4 5 6\nf 1 2 2\n");
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(mesh.vertexCount, 2);
    EXPECT_EQ(mesh.vertices[0], SbVec3f(1, 2, 3));
}

TEST_F(ObjLoader, VertexLineWithTooFewNumbersKeepsZeroes) {
    ASSERT_TRUE(LoadText("short.obj", "v 1.5 x 3\nv -2\n").ok);
    EXPECT_EQ(mesh.vertices[0], SbVec3f(1.5f, 0, 0));
    EXPECT_EQ(mesh.vertices[1], SbVec3f(-2, 0, 0));
}

TEST_F(ObjLoader, NumbersConvertAsScanfConvertsThem) {
    ASSERT_TRUE(LoadText("num.obj", "v 0x1.8p1 +.5 1e\nv -INF nan 1e+\nv 0.1 1e-50 3.4e39\n").ok);
    EXPECT_EQ(mesh.vertices[0], SbVec3f(3.0f, 0.5f, 1.0f));
    EXPECT_TRUE(std::isinf(mesh.vertices[1][0]) && mesh.vertices[1][0] < 0);
    EXPECT_TRUE(std::isnan(mesh.vertices[1][1]));
    EXPECT_EQ(mesh.vertices[1][2], 1.0f);
    EXPECT_EQ(mesh.vertices[2][0], 0.1f);
    EXPECT_EQ(mesh.vertices[2][1], 0.0f);
    EXPECT_TRUE(std::isinf(mesh.vertices[2][2]));
}

TEST_F(ObjLoader, NumbersOfMegabytesConvertLikeScanfInBoundedMemory) {
    // Each number runs over several of the reader's blocks; the digits are
    // not kept (only enough of them to round), yet every value is exact. A
    // number that fills the whole buffer once made the fast path look at the
    // byte after it, outside the buffer (AddressSanitizer catches that here).
    const size_t n = size_t{3} << 20;
    const std::string zeros(n, '0');
    const std::string text = "v 1" + zeros + "e-" + std::to_string(n) + " 0." + zeros + "25e" +
                             std::to_string(n + 1) + " -0x1" + zeros + "p-" +
                             std::to_string(4 * n) + "\nv 0 1 0\nv 1 0 0\nf 1 2 " + zeros + "3\n";
    const auto r = LoadText("long.obj", text);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(mesh.vertices[0], SbVec3f(1.0f, 2.5f, -1.0f));
    EXPECT_EQ(Slots(mesh.vertexIndices, 0, 4), (std::vector<int>{0, 1, 2, -1}));
}

// --- Face normals ------------------------------------------------------------------

TEST_F(ObjLoader, FaceNormalsPointOutOfCounterClockwiseTriangles) {
    const auto r = LoadText("n.obj",
                            "v 0 0 0\nv 2 0 0\nv 0 2 0\nv 0 0 0\n"
                            "f 1 2 3\nf 1 3 2\nf 1 4 4\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(mesh.faceNormals[0], SbVec3f(0, 0, 1));
    EXPECT_EQ(mesh.faceNormals[1], SbVec3f(0, 0, -1));
    EXPECT_EQ(mesh.faceNormals[2], SbVec3f(0, 0, 0));  // no area: stays zero
    // Recomputed from moved vertices.
    mesh.vertices[1].setValue(0, 0, 2);
    mesh.ComputeFaceNormals();
    EXPECT_EQ(mesh.faceNormals[0], SbVec3f(-1, 0, 0));
}

TEST_F(ObjLoader, BindingArraysAreSizedAndUnbound) {
    ASSERT_TRUE(LoadText("b.obj", kSquare + "f 1 2 3\n").ok);
    EXPECT_EQ(mesh.vertexTetra, std::vector<int>(5, -1));
    EXPECT_EQ(mesh.barycentric.size(), 5u);
    EXPECT_EQ(mesh.faceNormals.size(), 1u);
}

}  // namespace
}  // namespace wobble
