#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "LatticeModel.h"
#include "TestFiles.h"
#include "softbody/SceneConfig.h"
#include "text/LineReader.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::CaptureStdout;
using test::ScratchDir;

struct Result {
    bool ok = false;
    std::string out;
    std::string err;
};

// A folder with a 2 x 2 x 2 lattice body (27 particles, 48 tetras) and a one-triangle skin.
class SceneConfigTest : public ::testing::Test {
protected:
    SceneConfigTest() {
        test::LatticeModel lattice;
        lattice.cubesX = lattice.cubesY = lattice.cubesZ = 2;
        tet_ = dir_.Write("body.tet", lattice.Text());
        obj_ = dir_.Write("skin.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
        SoftBody probe;
        tetLines_ = CaptureStdout([&] { EXPECT_TRUE(probe.LoadTetFile(tet_, 1, 1)); });
        objLines_ = CaptureStdout([&] { EXPECT_TRUE(probe.surface.LoadMesh(obj_)); });
    }

    std::string Config(const std::string& points = "points 0 1 2 3 4 5 6 7",
                       const std::string& stiffness = "stiffness 20.5",
                       const std::string& mass = "mass 2") const {
        return "version 0.1\ntetfile " + tet_ + "\nobjfile " + obj_ + "\n" + points + "\n" +
               stiffness + "\n" + mass + "\n";
    }

    Result Load(const std::string& text) {
        const auto path = dir_.Write("config.txt", text);
        Result r;
        r.err = CaptureStderr(
            [&] { r.out = CaptureStdout([&] { r.ok = LoadConfig(path, body_).ok(); }); });
        return r;
    }

    std::string LoadedLines() const {
        return tetLines_ + "Loading TET-File: 1 \n\n" + objLines_ + "Loading OBJ-File: 1\n\n";
    }

    void ExpectUntouched() const {
        EXPECT_EQ(body_.particleCount, 0);
        EXPECT_EQ(body_.tetraCount, 0);
        EXPECT_EQ(body_.surface.vertexCount, -1);
        EXPECT_FALSE(body_.controller.HasControlParticles());
    }

    ScratchDir dir_;
    std::string tet_, obj_, tetLines_, objLines_;
    SoftBody body_;
};

TEST_F(SceneConfigTest, GoodFileLoadsBothModelsAndSetsTheControlParticles) {
    const auto r = Load(Config("points 26 25 24 23 3 2 1 0"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(tetLines_, "Vertices 27\nTetras   48\nSprings  98\n");
    EXPECT_EQ(r.out, LoadedLines());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(body_.particleCount, 27);
    EXPECT_EQ(body_.particles[0].mass, 2.0f);
    EXPECT_EQ(body_.springs.stiffness[0], 20.5f);
    EXPECT_EQ(body_.surface.triangleCount, 1);
    const int expected[8] = {26, 25, 24, 23, 3, 2, 1, 0};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(body_.controller.controlParticles[k], &body_.particles[expected[k]]) << k;
    }
}

TEST_F(SceneConfigTest, LeadingZeroIsOctalAndZeroXIsHexadecimal) {
    ASSERT_TRUE(Load(Config("points 010 0x10 0X1a -0 +7 07 0 1")).ok);
    const int expected[8] = {8, 16, 26, 0, 7, 7, 0, 1};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(body_.controller.controlParticles[k], &body_.particles[expected[k]]) << k;
    }
}

TEST_F(SceneConfigTest, ValueRightAfterItsKeywordIsAccepted) {
    const auto r = Load("version 0.1\ntetfile" + tet_ + "\nobjfile" + obj_ +
                        "\npoints0 1 2 3 4 5 6 7\nstiffness3.5\nmass0.5\n");
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(body_.springs.stiffness[0], 3.5f);
    EXPECT_EQ(body_.particles[0].mass, 0.5f);
    EXPECT_TRUE(body_.controller.HasControlParticles());
}

// A bad first line (compared on its first eleven characters), a blank line
// among the six, a file ending before the sixth, a mass that cannot be
// simulated, a stiffness that is not finite: one line naming the file and
// the line, nothing on standard output, and nothing loaded.
TEST_F(SceneConfigTest, WhatCannotBeReadOrSimulatedIsRefusedWithOneLine) {
    const std::string path = dir_.Path("config.txt"), text = Config();
    const std::string firstLine = path + ":1: the first line must begin with \"version 0.1\"\n";
    const size_t third = text.find("objfile");
    const auto withMass = [&](const char* mass) {
        return Config("points 0 1 2 3 4 5 6 7", "stiffness 1", mass);
    };
    const std::pair<std::string, std::string> cases[] = {
        {" version 0.1" + text.substr(11), firstLine},
        {"Version 0.1" + text.substr(11), firstLine},
        {"version 0.2" + text.substr(11), firstLine},
        {"version 0." + text.substr(11), firstLine},
        {text.substr(0, third) + "\n" + text.substr(third),
         path + ":3: expected \"objfile <name>\"\n"},
        {text.substr(0, text.find("mass")),
         path + ": the file ends before its \"mass <value>\" line\n"},
        {withMass("mass 0"), path + ":6: mass "},
        {withMass("mass -1"), path + ":6: mass "},
        {withMass("mass nan"), path + ":6: mass "},
        {withMass("mass inf"), path + ":6: mass "},
        {withMass("mass -0.0"), path + ":6: mass "},
        {Config("points 0 1 2 3 4 5 6 7", "stiffness INF"),
         path + ":5: stiffness inf is not a finite number\n"},
    };
    for (const auto& [config, line] : cases) {
        const auto r = Load(config);
        EXPECT_FALSE(r.ok) << config;
        EXPECT_EQ(r.err.rfind(line, 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out, "") << config;
        ExpectUntouched();
    }
}

TEST_F(SceneConfigTest, WhatFollowsTheFirstElevenCharactersOrTheSixthLineIsNotRead) {
    const auto r = Load("version 0.12 or anything after it" + Config().substr(11) +
                        "whatever follows\n\n# is never read\n");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.err, "");
}

TEST_F(SceneConfigTest, MissingConfigurationFailsWithALine) {
    Result r;
    r.err = CaptureStderr([&] { r.ok = LoadConfig(dir_.Path("nothing.txt"), body_).ok(); });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, dir_.Path("nothing.txt") +
                         ": cannot open the scene configuration: No such file or directory\n");
    ExpectUntouched();
}

TEST_F(SceneConfigTest, IndexOutsideTheParticlesLeavesNoControlParticles) {
    // 27: one past the last of the model's 27 particles.
    for (const char* points : {"points 0 1 2 3 4 5 6 27", "points -1 1 2 3 4 5 6 7",
                               "points 0 1 2 3 4 5 0x100000000 7"}) {
        SoftBody body;
        const auto path = dir_.Write("config.txt", Config(points));
        Result r;
        r.err = CaptureStderr(
            [&] { r.out = CaptureStdout([&] { r.ok = LoadConfig(path, body).ok(); }); });
        EXPECT_FALSE(r.ok) << points;  // printed once, and returned for the caller
        EXPECT_EQ(r.out, LoadedLines());
        EXPECT_EQ(r.err.rfind(path + ":4: control particle ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("outside the model's 0..26\n"), std::string::npos) << r.err;
        EXPECT_FALSE(body.controller.HasControlParticles());
        for (Particle* p : body.controller.controlParticles)
            EXPECT_EQ(p, nullptr);
    }
}

TEST_F(SceneConfigTest, FailedModelLeavesNoControlParticlesAndSaysSoOnce) {
    const std::string text = Config();
    const std::string missing = dir_.Path("missing.tet");
    std::string replaced = text;
    replaced.replace(replaced.find(tet_), tet_.size(), missing);
    const auto r = Load(replaced);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "Loading TET-File: 0 \n\n" + objLines_ + "Loading OBJ-File: 1\n\n");
    EXPECT_EQ(r.err, dir_.Path("config.txt") + ":2: the tetrahedral model \"" + missing +
                         "\" did not load, so there are no control particles\n");
    EXPECT_FALSE(body_.controller.HasControlParticles());

    // A model that explains its own failure gets no second line.
    const auto broken = dir_.Write("broken.tet",
                                   "tet version 1.0\nnum_materials 1\n"
                                   "num_vertices 4\nnum_tetras 1\nnum_triangles 0\n"
                                   "MATERIALS\nVERTICES\n0 0 0\n1 0 0\n0 1 0\n"
                                   "0 0 1\nTETRAS\n0 1 2 9 0\n");
    replaced = text;
    replaced.replace(replaced.find(tet_), tet_.size(), broken);
    SoftBody body;
    const auto path = dir_.Write("config2.txt", replaced);
    std::string err;
    CaptureStdout([&] { err = CaptureStderr([&] { EXPECT_FALSE(LoadConfig(path, body)); }); });
    EXPECT_EQ(err, broken + ":13: corner index 9 is outside 0..3\n");
    EXPECT_FALSE(body.controller.HasControlParticles());
}

TEST_F(SceneConfigTest, MissingSurfaceStillSetsTheControlParticles) {
    std::string text = Config();
    const std::string missing = dir_.Path("missing.obj");
    text.replace(text.find(obj_), obj_.size(), missing);
    const auto r = Load(text);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.out, tetLines_ + "Loading TET-File: 1 \n\nLoading Mesh from file: " + missing +
                         "\nFirst pass: get amount of data to store...\nCouldn't open mesh file: " +
                         missing + " \nLoading OBJ-File: 0\n\n");
    EXPECT_TRUE(body_.controller.HasControlParticles());
    EXPECT_EQ(body_.surface.vertexCount, 0);
}

TEST_F(SceneConfigTest, SeveralSlotsMayNameOneParticle) {
    ASSERT_TRUE(Load(Config("points 5 5 5 5 9 9 9 9")).ok);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(body_.controller.controlParticles[k], &body_.particles[k < 4 ? 5 : 9]);
    }
}

}  // namespace
}  // namespace wobble
