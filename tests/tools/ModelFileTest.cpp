#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "TestFiles.h"
#include "builder/ModelFile.h"

namespace wobble::builder {
namespace {

using test::CaptureStderr;
using Triangle = std::array<int, 3>;

// Fills the model with leftovers, so that a refusal is seen to empty it.
void FillWithJunk(ModelFile& model) {
    model.vertices.assign(3, SbVec3d(7, 7, 7));
    model.triangles.assign(2, {9, 9, 9});
    model.faceCount = 5;
}

// The triangles as sets of their corners' positions, which neither the
// vertex order nor the corner rotation changes.
std::multiset<std::multiset<std::array<double, 3>>> Shape(const ModelFile& model) {
    std::multiset<std::multiset<std::array<double, 3>>> shape;
    for (const Triangle& t : model.triangles) {
        std::multiset<std::array<double, 3>> corners;
        for (int c : t) {
            const SbVec3d& p = model.vertices[c];
            corners.insert({p[0], p[1], p[2]});
        }
        shape.insert(corners);
    }
    return shape;
}

// Twice the signed volume the triangles enclose (positive counter-clockwise from outside).
double SixVolume(const ModelFile& model) {
    double sum = 0.0;
    for (const Triangle& t : model.triangles) {
        sum += model.vertices[t[0]].dot(model.vertices[t[1]].cross(model.vertices[t[2]]));
    }
    return sum;
}

double Area(const ModelFile& model) {
    double twice = 0.0;
    for (const Triangle& t : model.triangles) {
        const SbVec3d& a = model.vertices[t[0]];
        twice += (model.vertices[t[1]] - a).cross(model.vertices[t[2]] - a).length();
    }
    return twice / 2.0;
}

constexpr const char* kTetrahedron = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n";

TEST(ModelFile, EveryObjCornerFormAndNegativeAndForwardIndicesNameTheSameVertices) {
    // The same four triangles of a tetrahedron, written five ways.
    const std::string faces[] = {
        "f 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n",
        "vt 0 0\nvn 0 0 1\nf 1/1 3/1 2/1\nf 1/1/1 2/1/1 4/1/1\nf 1//1 4//1 3//1\nf 2 3 4\n",
        "f -4 -2 -3\nf -4 -3 -1\nf -4 -1 -2\nf -3 -2 -1\n",
        "f\t+1 3 \\\n 2\r\nf 1 2 4\r\nf 1 4 3\r\nf 2 3 4\r\n",
    };
    ModelFile first;
    ASSERT_TRUE(test::Reported(first.Parse("m.obj", kTetrahedron + faces[0])));
    EXPECT_EQ(first.vertices.size(), 4u);
    EXPECT_EQ(first.faceCount, 4);
    EXPECT_GT(SixVolume(first), 0.0);
    for (const std::string& f : faces) {
        ModelFile model;
        ASSERT_TRUE(test::Reported(model.Parse("m.obj", kTetrahedron + f))) << f;
        EXPECT_EQ(Shape(model), Shape(first)) << f;
        EXPECT_DOUBLE_EQ(SixVolume(model), SixVolume(first)) << f;
    }
    // Faces before the vertices they name.
    ModelFile later;
    ASSERT_TRUE(test::Reported(later.Parse("m.obj", faces[0] + kTetrahedron)));
    EXPECT_EQ(Shape(later), Shape(first));
}

TEST(ModelFile, PolygonsConvexAndConcaveAreCutIntoTrianglesCoveringThem) {
    // A convex pentagon, and an L of six corners whose fan from the first
    // corner would cover the notch.
    struct Case {
        const char* text;
        size_t triangles;
        double area;
    };
    const Case cases[] = {
        {"v 0 0 0\nv 2 0 0\nv 2 1 0\nv 1 2 0\nv 0 1 0\nf 1 2 3 4 5\n", 3, 3.0},
        {"v 0 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\nv 1 2 0\nv 0 2 0\nf 4 5 6 1 2 3\n", 4, 3.0},
    };
    for (const Case& c : cases) {
        ModelFile model;
        ASSERT_TRUE(test::Reported(model.Parse("m.obj", c.text)));
        EXPECT_EQ(model.faceCount, 1);
        EXPECT_EQ(model.polygonCount, 1);
        EXPECT_EQ(model.triangles.size(), c.triangles);
        EXPECT_NEAR(Area(model), c.area, 1e-6) << c.text;
    }
}

TEST(ModelFile, DuplicatedSeamVerticesBecomeOneAndCollapsedOrShortFacesAreLeftOut) {
    // Two triangles sharing an edge, written with the edge's vertices twice
    // (as an exporter does at a texture seam), then a line, a point and two
    // triangles that name one position twice.
    ModelFile model;
    ASSERT_TRUE(
        test::Reported(model.Parse("m.obj",
                                   "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 0 0 0\n"
                                   "f 1 2 3\nf 4 6 5\nl 1 2\np 3\nf 1 2 7\nf 1 1 2\n")));
    EXPECT_EQ(model.vertices.size(), 4u);
    ASSERT_EQ(model.triangles.size(), 2u);
    EXPECT_EQ(model.triangles[0], (Triangle{0, 1, 2}));
    EXPECT_EQ(model.triangles[1], (Triangle{1, 3, 2}));
    EXPECT_EQ(model.shortFaceCount, 2);
    EXPECT_EQ(model.collapsedTriangleCount, 2);
    EXPECT_EQ(model.faceCount, 4);
}

TEST(ModelFile, StatementsWithoutShapeAreSkipped) {
    ModelFile model;
    ASSERT_TRUE(test::Reported(model.Parse("m.obj",
                                           "# comment\nmtllib a.mtl\no thing\ng part\ns 1\n"
                                           "usemtl red\nvn 0 1 0\nvt 0.5 0.5 0\n"
                                           "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n")));
    EXPECT_EQ(model.vertices.size(), 3u);
    EXPECT_EQ(model.triangles.size(), 1u);
}

// A Collada file with one tetrahedron mesh placed by two nodes: shifted by 10
// along x, and mirrored in x and shifted by -10; the mirrored copy must still
// face outward.
constexpr const char* kTwoInstances = R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<asset><unit meter="1"/><up_axis>Y_UP</up_axis></asset>
<library_geometries><geometry id="tet"><mesh>
<source id="p"><float_array id="pa" count="12">0 0 0 1 0 0 0 1 0 0 0 1</float_array>
<technique_common><accessor source="#pa" count="4" stride="3">
<param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
</accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
<triangles count="4"><input semantic="VERTEX" source="#v" offset="0"/>
<p>0 2 1 0 1 3 0 3 2 1 2 3</p></triangles>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="s">
<node id="a"><translate>10 0 0</translate><instance_geometry url="#tet"/></node>
<node id="b"><translate>-10 0 0</translate><scale>-1 1 1</scale><instance_geometry url="#tet"/></node>
</visual_scene></library_visual_scenes>
<scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";

TEST(ModelFile, EveryMeshInstanceIsPlacedByItsNodeAndMergedIntoOneSurface) {
    ModelFile model;
    ASSERT_TRUE(test::Reported(model.Parse("m.dae", kTwoInstances, "dae")));
    EXPECT_EQ(model.meshCount, 2);
    EXPECT_EQ(model.vertices.size(), 8u);
    EXPECT_EQ(model.triangles.size(), 8u);
    double lowest = 1e9, highest = -1e9;
    for (const SbVec3d& v : model.vertices) {
        lowest = std::min(lowest, v[0]);
        highest = std::max(highest, v[0]);
    }
    EXPECT_NEAR(lowest, -11.0, 1e-6);
    EXPECT_NEAR(highest, 11.0, 1e-6);
    // Both copies enclose their volume counter-clockwise: 2 x 1/6.
    EXPECT_NEAR(SixVolume(model), 2.0, 1e-6);
}

TEST(ModelFile, BrokenFilesAreRefusedWithTheirNameAndLeaveNothing) {
    struct Case {
        const char* text;
        const char* hint;
        const char* message;
    };
    const Case cases[] = {
        {"", "obj", "m.obj: the file is empty"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", "obj", "m.obj: cannot read the model: OBJ"},
        {"v 0 0 0\nv 1 0 0\nf 1 2 9\nv 0 1 0\n", "obj", "m.obj: cannot read the model: OBJ"},
        {"v 0 nan 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "obj",
         "m.obj: vertex 1 of mesh 1 has a "
         "coordinate that is not finite"},
        {"v 0 1e999 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "obj", "not finite"},
        {"solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n", "stl", "m.obj: cannot read"},
        {"ply\nformat ascii 1.0\ncomment half a com", "ply", "m.obj: the PLY header has no end"},
    };
    for (const Case& c : cases) {
        ModelFile model;
        FillWithJunk(model);
        bool ok = true;
        const std::string err =
            CaptureStderr([&] { ok = test::Reported(model.Parse("m.obj", c.text, c.hint)); });
        EXPECT_FALSE(ok) << c.text;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(model.vertices.empty());
        EXPECT_TRUE(model.triangles.empty());
        EXPECT_EQ(model.faceCount, 0);
    }
}

TEST(ModelFile, AFileCutShortBeforeItsFacesHasNoneAndDoesNotStopTheProgram) {
    // The import library leaves the faces without corners but marked as
    // polygons, and its triangulation then aborted the process.
    ModelFile model;
    ASSERT_TRUE(test::Reported(model.Parse("cut.ply",
                                           "ply\nformat ascii 1.0\nelement vertex 3\n"
                                           "property float x\nproperty float y\nproperty float z\n"
                                           "element face 2\n"
                                           "property list uchar uint vertex_indices\nend_header\n"
                                           "0 0 0\n1 0 0\n0 1 0\n",
                                           "ply")));
    EXPECT_EQ(model.shortFaceCount, 2);
    EXPECT_TRUE(model.triangles.empty());
}

TEST(ModelFile, BinaryGarbageIsReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    for (const char* hint : {"obj", "stl", "ply", "glb", "fbx", "3ds", "dae"}) {
        ModelFile model;
        bool read = false;
        const std::string err =
            CaptureStderr([&] { read = test::Reported(model.Parse("m", garbage, hint)); });
        // Refused, it says so in one line naming the file; read, its arrays
        // are consistent.
        if (!read) {
            EXPECT_EQ(err.rfind("m", 0), 0u) << hint << ": " << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << hint << ": " << err;
        }
        for (const Triangle& t : model.triangles) {
            for (int corner : t)
                EXPECT_LT(corner, static_cast<int>(model.vertices.size())) << hint;
        }
    }
}

TEST(ModelFile, MissingEmptyAndFolderPathsAreRefusedByName) {
    test::ScratchDir dir;
    ModelFile model;
    const std::pair<std::string, const char*> cases[] = {
        {dir.Path("none.stl"), "none.stl: cannot open the file: No such file"},
        {dir.path(), "is a folder, not a model file"},
        {dir.Write("empty.ply", ""), "empty.ply: the file is empty"},
        {"/dev/zero", "/dev/zero: is not a regular file"},
    };
    for (const auto& [path, message] : cases) {
        const std::string err =
            CaptureStderr([&] { EXPECT_FALSE(test::Reported(model.Load(path))); });
        EXPECT_NE(err.find(message), std::string::npos) << err;
    }
}

TEST(ModelFile, ANamedPipeTheModelNamesIsNotOpened) {
    // Opening it would wait for a writer for ever.
    test::ScratchDir dir;
    ASSERT_EQ(mkfifo(dir.Path("materials.mtl").c_str(), 0600), 0);
    ModelFile model;
    ASSERT_TRUE(test::Reported(
        model.Load(dir.Write("m.obj", std::string("mtllib materials.mtl\nusemtl red\n") +
                                          kTetrahedron + "f 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n"))));
    EXPECT_EQ(model.triangles.size(), 4u);
}

// Real files of several formats, as the Debian package assimp-testmodels has them.
constexpr const char* kTestModels = "/usr/share/assimp/models";

TEST(ModelFile, RealFilesOfEveryCommonFormatGiveClosedSurfaces) {
    if (!std::filesystem::exists(kTestModels))
        GTEST_SKIP() << "the package assimp-testmodels is not installed (scripts/install-deps)";
    struct Case {
        const char* file;
        int meshes;  // at least
    };
    // Boxes and figures that enclose a volume, in STL (ASCII and binary),
    // PLY, glTF 2 (text and binary), OBJ, 3DS, Collada and FBX.
    const Case cases[] = {
        {"STL/Spider_ascii.stl", 1},
        {"STL/Spider_binary.stl", 1},
        {"PLY/cube.ply", 1},
        {"PLY/cube_binary.ply", 1},
        {"glTF2/BoxTextured-glTF/BoxTextured.gltf", 1},
        {"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", 1},
        {"OBJ/box.obj", 1},
        {"3DS/cubes_with_alpha.3DS", 5},
        {"Collada/teapot_instancenodes.DAE", 2},
        {"FBX/cubes_with_mirroring_and_pivot.fbx", 4},
    };
    for (const Case& c : cases) {
        ModelFile model;
        ASSERT_TRUE(test::Reported(model.Load(std::string(kTestModels) + "/" + c.file))) << c.file;
        EXPECT_GE(model.meshCount, c.meshes) << c.file;
        EXPECT_GT(model.triangles.size(), 0u) << c.file;
        EXPECT_EQ(model.shortFaceCount, 0) << c.file;
        // Every part faces outward: the signed volume is positive.
        EXPECT_GT(SixVolume(model), 0.0) << c.file;
    }
}

}  // namespace
}  // namespace wobble::builder
