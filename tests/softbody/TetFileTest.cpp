#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "LatticeModel.h"
#include "TestFiles.h"
#include "math/VecMath.h"
#include "softbody/SoftBody.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::CaptureStdout;
using test::ScratchDir;

std::string Header(int vertices, int tetras) {
    return "tet version 1.0\nnum_materials 1\nnum_vertices " + std::to_string(vertices) +
           "\nnum_tetras " + std::to_string(tetras) +
           "\nnum_triangles 0\nMATERIALS\n1 2 3\nVERTICES\n";
}

const char* kFiveVertices =
    "0 0 0\n"
    "1 0 0\n"
    "0 1 0\n"
    "0 0 1\n"
    "1 1 1\n";

struct LoadResult {
    bool ok;
    std::string out;
    std::string err;
};

LoadResult Load(SoftBody& body, const std::string& path, float stiffness = 2.0f,
                float mass = 0.5f) {
    LoadResult result{};
    result.err = CaptureStderr([&] {
        result.out = CaptureStdout(
            [&] { result.ok = test::Reported(body.LoadTetFile(path, stiffness, mass)); });
    });
    return result;
}

void ExpectEmpty(const SoftBody& body) {
    EXPECT_EQ(body.particleCount, 0);
    EXPECT_EQ(body.tetraCount, 0);
    EXPECT_EQ(body.springCount, 0);
    EXPECT_TRUE(body.particles.empty());
    EXPECT_TRUE(body.tetras.empty());
    EXPECT_TRUE(body.springs.empty());
}

TEST(TetFile, SingleTetraGivesSixSpringsAndPrintsTheCounts) {
    ScratchDir dir;
    const auto path =
        dir.Write("one.tet", Header(4, 1) + "0 0 0\n2 0 0\n0 2 0\n0 0 2\nTETRAS\n0 1 2 3 0\n");
    SoftBody body;
    const auto r = Load(body, path, 3.0f, 0.25f);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, "Vertices 4\nTetras   1\nSprings  6\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(body.particleCount, 4);
    EXPECT_EQ(body.tetraCount, 1);
    ASSERT_EQ(body.springCount, 6);
    for (const Particle& p : body.particles)
        EXPECT_EQ(p.mass, 0.25f);
    EXPECT_EQ(body.particles[1].position, SbVec3f(2, 0, 0));
    // Generation order (0,1) (0,2) (0,3) (1,2) (1,3) (2,3).
    const int expected[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(body.springs.particleA[s], expected[s][0]) << s;
        EXPECT_EQ(body.springs.particleB[s], expected[s][1]) << s;
        EXPECT_EQ(body.springs.stiffness[s], 3.0f);
    }
    // Rest length: the length of 1.1 * (a - b), the scaling done before the length.
    SbVec3f d = body.particles[1].position - body.particles[2].position;
    d *= 1.1f;
    EXPECT_EQ(body.springs.restLength[3], d.length());
    EXPECT_FLOAT_EQ(body.springs.restLength[0], 2.2f);
}

TEST(TetFile, SharedFaceSpringsFollowTheFirstTetraThatNamesTheEdge) {
    ScratchDir dir;
    const auto path = dir.Write(
        "two.tet", Header(5, 2) + kFiveVertices + "TETRAS\n0 1 2 3 0\n3 2 1 4 0\nTRIANGLES\n");
    SoftBody body;
    const auto r = Load(body, path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, "Vertices 5\nTetras   2\nSprings  9\n");
    ASSERT_EQ(body.springCount, 9);
    // The edge 1-2 was met first in tetra 0 as (1, 2), so it runs from 1 to 2
    // although tetra 1 names it as (2, 1).
    EXPECT_EQ(body.springs.particleA[3], 1);
    EXPECT_EQ(body.springs.particleB[3], 2);
    // Tetra 1's new edges, in its pair order: (3,4) from pair (0,3), (2,4), (1,4).
    EXPECT_EQ(body.springs.particleA[6], 3);
    EXPECT_EQ(body.springs.particleB[6], 4);
    EXPECT_EQ(body.springs.particleA[7], 2);
    EXPECT_EQ(body.springs.particleA[8], 1);
    EXPECT_EQ(body.tetras[1].cornerIndices[0], 3);
    EXPECT_EQ(body.tetras[1].corners[3], &body.particles[4]);
}

TEST(TetFile, RepeatedCornerGivesAZeroLengthSelfSpring) {
    ScratchDir dir;
    const auto path =
        dir.Write("self.tet", Header(4, 1) + "0 0 0\n1 0 0\n0 1 0\n0 0 1\nTETRAS\n0 0 1 2\n");
    SoftBody body;
    const auto r = Load(body, path);
    ASSERT_TRUE(r.ok) << r.err;
    // Pairs: (0,0) new, (0,1) new, (0,2) new, (0,1) seen, (0,2) seen, (1,2) new.
    ASSERT_EQ(body.springCount, 4);
    EXPECT_EQ(body.springs.particleA[0], 0);
    EXPECT_EQ(body.springs.particleB[0], 0);
    EXPECT_EQ(body.springs.restLength[0], 0.0f);
}

TEST(TetFile, HeaderAndMarkerQuirks) {
    ScratchDir dir;
    // Extra text after the version and after the markers, octal and hex counts,
    // no blank between keyword and value, a tetra line of four numbers.
    const std::string text =
        "tet version 1.0 and more\nnum_materials 0x1\nnum_vertices 05\nnum_tetras2\n"
        "num_triangles -0\ncomment\nMATERIALS 7\nmaterial data\nVERTICES 5\n" +
        std::string(kFiveVertices) +
        "TETRAS 2\n0 1 2 3\n1 2 3 4 9\nTRIANGLES and the rest\ngarbage\n";
    SoftBody body;
    const auto r = Load(body, dir.Write("quirks.tet", text));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(body.particleCount, 5);
    EXPECT_EQ(body.tetraCount, 2);
}

TEST(TetFile, WrongHeadersFailSilently) {
    ScratchDir dir;
    const std::string body5 = std::string("MATERIALS\nVERTICES\n") + kFiveVertices + "TETRAS\n";
    const char* cases[] = {
        "tet version 1.1\nnum_materials 1\nnum_vertices 5\nnum_tetras 0\nnum_triangles 0\n",
        " tet version 1.0\nnum_materials 1\nnum_vertices 5\nnum_tetras 0\nnum_triangles 0\n",
        "tet version 1.0\nnum_material 1\nnum_vertices 5\nnum_tetras 0\nnum_triangles 0\n",
        "tet version 1.0\nnum_materials 1\nNum_vertices 5\nnum_tetras 0\nnum_triangles 0\n",
        "tet version 1.0\nnum_materials 1\nnum_vertices five\nnum_tetras 0\nnum_triangles 0\n",
        "tet version 1.0\nnum_materials 1\nnum_vertices 5\n\nnum_tetras 0\nnum_triangles 0\n",
        "tet version 1.0\nnum_materials 1\nnum_vertices 5\nnum_tetras 0\n",
    };
    for (const char* header : cases) {
        SoftBody body;
        const auto r = Load(body, dir.Write("h.tet", header + body5));
        EXPECT_FALSE(r.ok) << header;
        EXPECT_EQ(r.out, "") << header;
        EXPECT_EQ(r.err, "") << header;
        ExpectEmpty(body);
    }
    SoftBody body;
    const auto missing = Load(body, dir.Path("absent.tet"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.out + missing.err, "");
}

// How the declared counts meet the lines present: more vertex lines than
// declared, or a file ending among the vertices, is the vertex error; more
// tetras declared than present is fine, one less the tetra error (and no
// counts); lines after TRIANGLES are not read, whatever they hold; the last
// tetra line needs no line break.
TEST(TetFile, TetraCountRules) {
    ScratchDir dir;
    const std::string tetras = "TETRAS\n0 1 2 3\n1 2 3 4\n";
    const char* const vertexError = "Error: more vertices than in file defined.\n";
    const struct {
        std::string text;
        int tetras;  // -1: refused
        const char* out;
    } cases[] = {
        {Header(4, 1) + kFiveVertices + "TETRAS\n0 1 2 3\n", -1, vertexError},
        {Header(2, 0) + "0 0 0\n1 0 0\n", -1, vertexError},
        {Header(2, 0) + "0 0 0\n1 0 0", -1, vertexError},
        {Header(2, 0), -1, vertexError},
        {Header(5, 7) + kFiveVertices + tetras, 2, "Vertices 5\nTetras   2\nSprings  9\n"},
        {Header(5, 1) + kFiveVertices + tetras, -1, "Error: more tetras than in file defined.\n"},
        {Header(5, 1) + kFiveVertices + "TETRAS\n0 1 2 3\nTRIANGLES\n1 2 3 4\n", 1,
         "Vertices 5\nTetras   1\nSprings  6\n"},
        {Header(5, 2) + kFiveVertices + "TETRAS\n0 1 2 3\n1 2 3 4", 2,
         "Vertices 5\nTetras   2\nSprings  9\n"},
    };
    for (const auto& c : cases) {
        SoftBody body;
        const auto r = Load(body, dir.Write("t.tet", c.text));
        EXPECT_EQ(r.ok, c.tetras >= 0) << c.text;
        EXPECT_EQ(r.out, c.out) << c.text;
        if (c.tetras < 0) {
            ExpectEmpty(body);
        } else {
            EXPECT_EQ(body.tetraCount, c.tetras) << c.text;
        }
    }
}

TEST(TetFile, MalformedContentIsRefusedWithFileAndLine) {
    ScratchDir dir;
    struct Case {
        std::string text;
        std::string message;
        // Made a 4 GiB file of NUL bytes after the text: its size admits the
        // declared counts, but the arrays must not be sized from them before
        // the lines are there (52 GB of particles, 60 GB of tetras).
        bool sparse = false;
    };
    const Case cases[] = {
        {Header(5, 1) + "0 0 0\n1 0 0\n0 1 0\nTETRAS\n0 1 2\n",
         ":12: 3 vertex lines, but num_vertices is 5\n"},
        {Header(5, 1) + "0 0 0\n1 0\n", ":10: vertex 1 has 2 of its 3 coordinates\n"},
        {Header(5, 1) + "0 0 0\n\n", ":10: vertex 1 has 0 of its 3 coordinates\n"},
        {Header(5, 1) + "0 0 0\n1 inf 0\n", ":10: vertex 1 has a coordinate that is not finite\n"},
        {Header(5, 1) + kFiveVertices + "TETRAS\n0 1 2\n",
         ":15: tetra 0 has 3 of its 4 corner indices\n"},
        {Header(5, 1) + kFiveVertices + "TETRAS\n0 1 2 5\n",
         ":15: corner index 5 is outside 0..4\n"},  // one past the last particle
        {Header(5, 1) + kFiveVertices + "TETRAS\n5 1 2 3\n",
         ":15: corner index 5 is outside 0..4\n"},
        {Header(5, 1) + kFiveVertices + "TETRAS\n0 1 2 57\n",
         ":15: corner index 57 is outside 0..4\n"},
        {Header(5, 1) + kFiveVertices + "TETRAS\n0 -1 2 3\n",
         ":15: corner index -1 is outside 0..4\n"},
        {Header(5, 1) + kFiveVertices + "TETRAS\n0 1 2 99999999999\n",
         ":15: corner index 99999999999 is outside 0..4\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices -3\nnum_tetras 0\nnum_triangles 0\n",
         ":3: num_vertices -3 is outside 0..2147483647\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 5\nnum_tetras 0\nnum_triangles -1\n",
         ":5: num_triangles -1 is outside 0..2147483647\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 5\nnum_tetras 2147483648\n",
         ":4: num_tetras 2147483648 is outside 0..2147483647\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 2000000000\nnum_tetras 1\nnum_triangles "
         "0\n"
         "MATERIALS\nVERTICES\n",
         ":3: num_vertices 2000000000 is more than a file of 104 bytes can hold\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 1\nnum_tetras 0\nnum_triangles "
         "0\nVERTICES\n",
         ": the file ends before its MATERIALS line\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 1\nnum_tetras 0\nnum_triangles "
         "0\nMATERIALS\n"
         "TETRAS\n",
         ": the file ends before its VERTICES line\n"},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 700000000\nnum_tetras 1\n"
         "num_triangles 0\nMATERIALS\nVERTICES\n",
         ":8: vertex 0 has 0 of its 3 coordinates\n", true},
        {"tet version 1.0\nnum_materials 1\nnum_vertices 4\nnum_tetras 2147483647\n"
         "num_triangles 0\nMATERIALS\nVERTICES\n0 0 0\n1 0 0\n0 1 0\n0 0 1\nTETRAS\n"
         "0 1 2 3 0\n",
         ":14: tetra 1 has 0 of its 4 corner indices\n", true},
    };
    for (const Case& c : cases) {
        const auto path = dir.Write("bad.tet", c.text);
        if (c.sparse) {
            ASSERT_EQ(truncate(path.c_str(), 4LL << 30), 0);
        }
        SoftBody body;
        const auto r = Load(body, path);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.err, path + c.message);
        EXPECT_EQ(r.out, "");
        ExpectEmpty(body);
    }
}

TEST(TetFile, DirectoryIsRefused) {
    ScratchDir dir;
    SoftBody body;
    const auto r = Load(body, dir.path());
    EXPECT_FALSE(r.ok);
    ExpectEmpty(body);
}

// The springs a plain reading of the rule gives: every tetra's six corner
// pairs in order, each edge the first time it is met, oriented as met.
std::vector<std::array<int, 2>> FirstMetEdges(const TetModel& model) {
    std::set<std::pair<int, int>> seen;
    std::vector<std::array<int, 2>> edges;
    for (const auto& t : model.tetras) {
        for (const auto& pair : Tetra::kEdges) {
            const int a = t[pair[0]], b = t[pair[1]];
            if (seen.insert({std::min(a, b), std::max(a, b)}).second)
                edges.push_back({a, b});
        }
    }
    return edges;
}

TEST(TetFile, BodyJustPastTenThousandEdgesLoadsWithItsSpringsInGenerationOrderAndSteps) {
    // 10213 distinct edges, past the limit of earlier versions.
    const test::LatticeModel model{.cubesX = 13, .cubesY = 10, .cubesZ = 10};
    ScratchDir dir;
    const auto path = dir.Write("past.tet", model.Text());
    SoftBody body;
    const auto r = Load(body, path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.out, "Vertices 1694\nTetras   7800\nSprings  10213\n");
    const auto expected = FirstMetEdges(model.Model());
    ASSERT_EQ(body.springCount, static_cast<int>(expected.size()));
    ASSERT_EQ(body.springs.size(), body.springCount);
    for (int s = 0; s < body.springCount; ++s) {
        ASSERT_EQ(body.springs.particleA[s], expected[s][0]) << s;
        ASSERT_EQ(body.springs.particleB[s], expected[s][1]) << s;
    }
    for (int k = 0; k < 20; ++k)
        body.Step(0.05f);
    for (const Particle& p : body.particles)
        ASSERT_TRUE(VecIsFinite(p.position));
    // Every rest length starts 10 % long: the body has swollen.
    EXPECT_LT(body.particles[0].position[0], 0.0f);
}

TEST(TetFile, SpringLimitIsEnforcedWithOneLineNamingTheFile) {
    test::LatticeModel model;
    model.cubesX = model.cubesY = model.cubesZ = 2;  // 7 edges per cube and the boundary: 98
    const TetModel tets = model.Model();
    ASSERT_EQ(model.EdgeCount(), 98);
    SoftBody body;
    Status refused = body.Build(tets, 1.0f, 1.0f, "box.tet", 97);
    ASSERT_FALSE(refused);
    const std::string err = CaptureStderr([&] { PrintInputError(refused.error()); });
    EXPECT_EQ(err, "box.tet: the model has more than 97 distinct edges, the spring limit\n");
    ExpectEmpty(body);

    ASSERT_TRUE(body.Build(tets, 1.0f, 1.0f, "box.tet", 98));
    EXPECT_EQ(body.springCount, 98);
}

// The address space this process has mapped, in bytes.
long long MappedBytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    long long kilobytes = -1;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
        std::sscanf(line, "VmSize: %lld kB", &kilobytes);
    if (status != nullptr)
        std::fclose(status);
    return kilobytes * 1024;
}

// Builds `model` with 48 MB of address space to spare and exits with 0 when
// the build was refused for want of memory, leaving the body empty.
[[noreturn]] void BuildWithLittleMemoryLeft(const TetModel& model) {
    const long long limit = MappedBytes() + (48LL << 20);
    const rlimit space{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if (MappedBytes() <= 0 || setrlimit(RLIMIT_AS, &space) != 0)
        std::_Exit(2);
    SoftBody body;
    const Status built = body.Build(model, 1.0f, 1.0f, "big.tet");
    const bool refused = !built && built.error().file == "big.tet" &&
                         built.error().message == "not enough memory for the model";
    std::_Exit(refused && body.particleCount == 0 && body.tetras.empty() ? 0 : 1);
}

TEST(TetFile, ModelTooBigToBuildInTheMemoryLeftIsRefusedWithALine) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves address space of its own";
#endif
    // A million tetras take 16 MB as read and about 110 MB as the body's tetras.
    TetModel model;
    model.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    model.tetras.assign(1'000'000, {0, 1, 2, 3});
    EXPECT_EXIT(BuildWithLittleMemoryLeft(model), testing::ExitedWithCode(0), "");
}

TEST(TetFile, UpdateMatrixPutsCornersInColumns) {
    ScratchDir dir;
    SoftBody body;
    ASSERT_TRUE(
        Load(body, dir.Write("t.tet", Header(5, 1) + kFiveVertices + "TETRAS\n4 1 2 3\n")).ok);
    Tetra& t = body.tetras[0];
    t.UpdateMatrix();
    // Column 0 is corner 0, particle 4 at (1, 1, 1); column 1 is particle 1 at (1, 0, 0).
    EXPECT_EQ(t.matrix(0, 0), 1.0f);
    EXPECT_EQ(t.matrix(1, 0), 1.0f);
    EXPECT_EQ(t.matrix(2, 0), 1.0f);
    EXPECT_EQ(t.matrix(0, 1), 1.0f);
    EXPECT_EQ(t.matrix(1, 1), 0.0f);
    EXPECT_EQ(t.matrix(1, 2), 1.0f);
    EXPECT_EQ(t.matrix(2, 3), 1.0f);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(t.matrix(3, c), 1.0f);
    body.particles[4].position.setValue(7, 8, 9);
    t.UpdateMatrix();
    EXPECT_EQ(t.matrix(0, 0), 7.0f);
    EXPECT_EQ(t.matrix(2, 0), 9.0f);
}

}  // namespace
}  // namespace wobble
