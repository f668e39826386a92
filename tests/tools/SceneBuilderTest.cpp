#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include <Inventor/SbVec3d.h>
#include "TestFiles.h"
#include "TestShapes.h"

#include "builder/BuildProgress.h"
#include "builder/SceneBuilder.h"
#include "math/VecMath.h"
#include "scene/Scene.h"
#include "softbody/SceneConfig.h"
#include "softbody/SoftBody.h"

namespace wobble::builder {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun RunTool(std::vector<const char*> args) {
    ToolRun run;
    SceneOptions options;
    std::string error;
    EXPECT_TRUE(options.Parse(static_cast<int>(args.size()), args.data(), error)) << error;
    run.out = test::CaptureStdout(
        [&] { run.err = test::CaptureStderr([&] { run.status = SceneBuilder().Run(options); }); });
    return run;
}

// What the program does with a scene folder, without the window: the
// assembly (config, binding, water sized from particles 2 and 3), then frames
// with the Up key held, the surface carried along.
struct SceneRun {
    bool loaded = false;
    std::string loaderErrors;
    float waterRadius = 0.0f;
    double loadedSize = 0.0;
    double largestSize = 0.0;
    bool allFinite = true;
    int controlParticlesDistinct = 0;
};

double BoxDiagonal(const SoftBody& body) {
    SbVec3f lo = body.particles[0].position, hi = lo;
    for (const Particle& p : body.particles) {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p.position[a]);
            hi[a] = std::max(hi[a], p.position[a]);
        }
    }
    return VecLength(hi - lo);
}

SceneRun RunScene(const std::string& folder, int frames) {
    SceneRun run;
    Scene scene;
    test::CaptureStdout([&] {
        run.loaderErrors = test::CaptureStderr([&] { run.loaded = scene.Load(folder).ok(); });
    });
    SoftBody& body = scene.body;
    if (!run.loaded || body.surface.vertexCount <= 0) {
        run.loaded = false;
        return run;
    }
    Particle* const* slots = body.controller.controlParticles;
    run.waterRadius = scene.water.radius;
    run.controlParticlesDistinct = static_cast<int>(std::set<Particle*>(slots, slots + 8).size());

    run.loadedSize = BoxDiagonal(body);
    for (int frame = 1; frame <= frames; ++frame) {
        body.controller.Steer(true, false, false, false);
        scene.Step();
        run.largestSize = std::max(run.largestSize, BoxDiagonal(body));
    }
    scene.DeformSurface();
    for (const Particle& p : body.particles)
        run.allFinite = run.allFinite && VecIsFinite(p.position);
    for (int v = 0; v < body.surface.vertexCount; ++v)
        run.allFinite = run.allFinite && VecIsFinite(body.surface.vertices[v]);
    return run;
}

// Makes a scene of the model file `input` and runs it for `frames` frames
// under full thrust; returns the tool's report.
std::string ExpectGoodSceneOf(const std::string& input, std::vector<const char*> extra = {},
                              int frames = 3000) {
    test::ScratchDir dir;
    const std::string out = dir.Path("scene");
    std::vector<const char*> args = {input.c_str(), out.c_str()};
    args.insert(args.end(), extra.begin(), extra.end());
    const ToolRun tool = RunTool(args);
    EXPECT_EQ(tool.status, 0) << tool.out << tool.err;
    if (tool.status != 0)
        return tool.out;
    EXPECT_EQ(tool.err, "");
    EXPECT_NE(tool.out.find("held together"), std::string::npos) << tool.out;
    EXPECT_NE(tool.out.find("run it with:\n  cd " + fs::absolute(out).string() + " && "),
              std::string::npos)
        << tool.out;

    const SceneRun scene = RunScene(out, frames);
    EXPECT_TRUE(scene.loaded) << scene.loaderErrors;
    if (!scene.loaded)
        return tool.out;
    EXPECT_EQ(scene.loaderErrors, "");
    EXPECT_EQ(scene.controlParticlesDistinct, 8);
    EXPECT_TRUE(scene.allFinite);
    EXPECT_LT(scene.largestSize, 2.0 * scene.loadedSize);
    // The water's body radius comes out at about half the body's width.
    char radius[32];
    std::snprintf(radius, sizeof radius, "water body radius %.3g", scene.waterRadius);
    EXPECT_NE(tool.out.find(radius), std::string::npos) << tool.out;
    return tool.out;
}

// Makes a scene of the OBJ text `obj` and runs it for 3000 frames under full
// thrust; returns the tool's report.
std::string ExpectGoodScene(const std::string& obj, std::vector<const char*> extra = {}) {
    test::ScratchDir dir;
    return ExpectGoodSceneOf(dir.Write("model.obj", obj), extra);
}

TEST(SceneBuilder, RealModelsOfEveryCommonFormatMakeGoodScenes) {
    // Real files as the Debian package assimp-testmodels has them: figures,
    // scans and machines, several of many meshes placed by node transforms.
    const std::string models = "/usr/share/assimp/models/";
    if (!fs::exists(models))
        GTEST_SKIP() << "the package assimp-testmodels is not installed (scripts/install-deps)";
    for (const char* file : {"STL/Spider_binary.stl", "PLY/Wuson.ply",
                             "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
                             "glTF/CesiumMilkTruck/CesiumMilkTruck.gltf", "OBJ/spider.obj",
                             "3DS/fels.3ds", "Collada/duck.dae", "FBX/spider.fbx"}) {
        SCOPED_TRACE(file);
        ExpectGoodSceneOf(models + file, {"--max-springs", "3000"}, 300);
    }
}

// A sphere (with the default budget), a torus, an elongated hull, a sphere
// with a hole and duplicated seam vertices, and two loose parts in one scene.
class GoodShape : public ::testing::TestWithParam<int> {};

TEST_P(GoodShape, MakesAGoodScene) {
    const std::string shapes[] = {test::SphereObj(1.0, 0, 0, 0), test::TorusObj(1.0, 0.35),
                                  test::HullObj(), test::HoleySphereObj(4), test::TwoSpheresObj()};
    ExpectGoodScene(shapes[GetParam()], GetParam() == 0
                                            ? std::vector<const char*>{}
                                            : std::vector<const char*>{"--max-springs", "4000"});
}

INSTANTIATE_TEST_SUITE_P(SceneBuilder, GoodShape, ::testing::Range(0, 5));

TEST(SceneBuilder, BudgetPastTenThousandSpringsMakesAGoodScene) {
    const std::string report =
        ExpectGoodScene(test::SphereObj(1.0, 0, 0, 0), {"--max-springs", "14000"});
    int springs = 0;
    const size_t at = report.find(" springs (budget 14000)");
    ASSERT_NE(at, std::string::npos) << report;
    ASSERT_EQ(std::sscanf(report.c_str() + report.rfind(' ', at - 1), " %d", &springs), 1);
    EXPECT_GT(springs, 10000);
    EXPECT_LE(springs, 14000);
}

TEST(SceneBuilder, TwoHundredThousandTrianglesMakeAGoodScene) {
    test::ShapeOptions detail;
    detail.around = 400;
    detail.along = 250;
    detail.quads = false;
    ExpectGoodScene(test::SphereObj(1.0, 0, 0, 0, detail), {"--size", "30"});
}

// Six times the volume the mesh's faces enclose, positive when they run
// counter-clockwise seen from outside.
double EnclosedVolume(const SurfaceMesh& mesh) {
    double sum = 0.0;
    for (int t = 0; t < mesh.triangleCount; ++t) {
        const SbVec3f& a = mesh.vertices[mesh.vertexIndices[4 * t]];
        const SbVec3f& b = mesh.vertices[mesh.vertexIndices[4 * t + 1]];
        const SbVec3f& c = mesh.vertices[mesh.vertexIndices[4 * t + 2]];
        sum += SbVec3d(a[0], a[1], a[2])
                   .dot(SbVec3d(b[0], b[1], b[2]).cross(SbVec3d(c[0], c[1], c[2])));
    }
    return sum;
}

TEST(SceneBuilder, InsideOutSurfaceIsTurnedOutwardAndARightOneIsLeftAlone) {
    test::ShapeOptions reversed;
    reversed.reversed = true;
    for (bool inverted : {false, true}) {
        test::ScratchDir dir;
        const std::string input = dir.Write(
            "model.obj", test::SphereObj(1.0, 0, 0, 0, inverted ? reversed : test::ShapeOptions()));
        const std::string out = dir.Path("scene");
        const ToolRun tool = RunTool({input.c_str(), out.c_str(), "--max-springs", "1500"});
        ASSERT_EQ(tool.status, 0) << tool.err;
        EXPECT_EQ(tool.out.find("inside out") != std::string::npos, inverted) << tool.out;
        SurfaceMesh mesh;
        bool ok = false;
        test::CaptureStdout([&] { ok = mesh.LoadMesh(out + "/surface.obj").ok(); });
        ASSERT_TRUE(ok);
        EXPECT_GT(EnclosedVolume(mesh), 0.0) << inverted;
    }
}

TEST(SceneBuilder, BudgetAndSizeAreHonoured) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::HullObj());
    const std::string out = dir.Path("scene");
    const ToolRun tool =
        RunTool({input.c_str(), out.c_str(), "--max-springs", "1200", "--size", "60"});
    ASSERT_EQ(tool.status, 0) << tool.err;
    SoftBody body;
    bool ok = false;
    test::CaptureStdout([&] { ok = body.LoadTetFile(out + "/body.tet", 1.0f, 1.0f).ok(); });
    ASSERT_TRUE(ok);
    EXPECT_LE(body.springCount, 1200);
    SurfaceMesh mesh;
    test::CaptureStdout([&] { ok = mesh.LoadMesh(out + "/surface.obj").ok(); });
    ASSERT_TRUE(ok);
    float lo = 1e9f, hi = -1e9f;
    for (const SbVec3f& v : mesh.vertices) {
        lo = std::min(lo, v[0]);
        hi = std::max(hi, v[0]);
    }
    EXPECT_NEAR(hi - lo, 60.0f, 1e-3f);
    EXPECT_NEAR(0.5f * (hi + lo), 198.0f, 1e-3f);
}

TEST(SceneBuilder, GivenConstantsAreWrittenAsGivenEvenWhenUnstable) {
    // Springs too soft to hold the thrust: no number of sub-steps helps.
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const std::string out = dir.Path("scene");
    const ToolRun tool = RunTool(
        {input.c_str(), out.c_str(), "--max-springs", "2000", "--stiffness", "1", "--mass", "0.5"});
    ASSERT_EQ(tool.status, 0) << tool.err;
    EXPECT_NE(tool.out.find("warning: with the given constants"), std::string::npos) << tool.out;
    const std::string config = test::ReadWholeFile(out + "/config.txt");
    EXPECT_NE(config.find("stiffness 1\nmass 0.5\n"), std::string::npos) << config;
}

TEST(SceneBuilder, GivenStiffnessIsKeptAndSubStepsKeepTheStepStable) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const std::string out = dir.Path("scene");
    const ToolRun tool =
        RunTool({input.c_str(), out.c_str(), "--max-springs", "2000", "--stiffness", "100"});
    ASSERT_EQ(tool.status, 0) << tool.err;
    EXPECT_NE(tool.out.find("held together"), std::string::npos) << tool.out;
    const std::string config = test::ReadWholeFile(out + "/config.txt");
    EXPECT_NE(config.find("stiffness 100\n"), std::string::npos) << config;
    EXPECT_NE(test::ReadWholeFile(out + "/handling.txt").find("substeps "), std::string::npos);
}

TEST(SceneBuilder, WhatCannotMakeASceneIsRefusedAndNothingIsWritten) {
    test::ScratchDir dir;
    const std::string sphere = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const struct {
        std::string input;
        const char* message;
        std::vector<const char*> options;
    } cases[] = {
        {dir.Write("empty.obj", ""), "empty.obj: the file is empty", {}},
        {dir.Write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"), "points.obj: has no faces", {}},
        {dir.Path("missing.obj"), "missing.obj: cannot open the file: No such file", {}},
        {dir.Write("flat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"),
         "flat.obj: the model is flat",
         {}},
        {dir.Write("bad.obj", "v 0 0 0\nf 1 2 3\n"), "bad.obj: cannot read the model: OBJ", {}},
        {sphere, "a spring budget of 20 is too small", {"--max-springs", "20"}},
    };
    for (const auto& [input, message, options] : cases) {
        const std::string out = dir.Path("scene");
        std::vector<const char*> arguments = {input.c_str(), out.c_str()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ToolRun tool = RunTool(arguments);
        EXPECT_EQ(tool.status, 1) << message;
        EXPECT_NE(tool.err.find(message), std::string::npos) << tool.err;
        // One line, naming the file.
        EXPECT_EQ(std::count(tool.err.begin(), tool.err.end(), '\n'), 1) << tool.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(SceneBuilder, AGivenMassTooHeavyToSteerIsWrittenWithAWarning) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const std::string out = dir.Path("scene");
    const ToolRun tool = RunTool({input.c_str(), out.c_str(), "--mass", "1e6"});
    EXPECT_EQ(tool.status, 0) << tool.err;
    EXPECT_NE(tool.out.find("warning: it does not handle like the sample"), std::string::npos)
        << tool.out;
    EXPECT_TRUE(fs::exists(out + "/config.txt"));
}

TEST(SceneBuilder, GivenConstantsKeepEveryDigitTheFloatHolds) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const std::string out = dir.Path("scene");
    const ToolRun tool = RunTool({input.c_str(), out.c_str(), "--max-springs", "1500",
                                  "--stiffness", "61.2345678", "--mass", "1.7"});
    ASSERT_EQ(tool.status, 0) << tool.err;
    const std::string config = test::ReadWholeFile(out + "/config.txt");
    float stiffness = 0.0f, mass = 0.0f;
    const size_t at = config.find("stiffness ");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(std::sscanf(config.c_str() + at, "stiffness %f\nmass %f", &stiffness, &mass), 2);
    EXPECT_EQ(stiffness, 61.2345678f);
    EXPECT_EQ(mass, 1.7f);
}

TEST(SceneBuilder, OutputPathThatIsAFileIsRefused) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const std::string out = dir.Write("taken", "a file\n");
    const ToolRun tool = RunTool({input.c_str(), out.c_str(), "--max-springs", "1500"});
    EXPECT_EQ(tool.status, 1);
    EXPECT_NE(tool.err.find("taken: cannot make the output folder"), std::string::npos) << tool.err;
    EXPECT_EQ(test::ReadWholeFile(out), "a file\n");
}

std::vector<std::pair<BuildStage, double>> gReports;

void RecordReport(BuildStage stage, double fraction) {
    gReports.emplace_back(stage, fraction);
}

TEST(SceneBuilder, ProgressGoesThroughEveryStageInOrderAndPrintsAsLines) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::SphereObj(1.0, 0, 0, 0));
    const std::string out = dir.Path("scene");
    gReports.clear();
    SetProgressSink(RecordReport);
    const ToolRun tool = RunTool({input.c_str(), out.c_str(), "--max-springs", "1500"});
    SetProgressSink(nullptr);
    ASSERT_EQ(tool.status, 0) << tool.err;
    ASSERT_FALSE(gReports.empty());
    // Stages never go back; each ends at 1.
    for (size_t k = 1; k < gReports.size(); ++k)
        EXPECT_LE(gReports[k - 1].first, gReports[k].first) << k;
    std::vector<BuildStage> ended;
    for (const auto& [stage, fraction] : gReports) {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        if (fraction == 1.0 && (ended.empty() || ended.back() != stage))
            ended.push_back(stage);
    }
    EXPECT_EQ(ended,
              (std::vector<BuildStage>{BuildStage::kReading, BuildStage::kCage, BuildStage::kTetras,
                                       BuildStage::kCheck, BuildStage::kWriting}));
    // As lines: one per stage start and per hundredth, never twice the same.
    const std::string lines = test::CaptureStdout([] {
        for (double f : {0.0, 0.004, 0.5, 0.501, 1.0})
            PrintProgressLine(BuildStage::kCheck, f);
        PrintProgressLine(BuildStage::kWriting, 0.0);
    });
    EXPECT_EQ(lines,
              "progress check 0.00\nprogress check 0.50\nprogress check 1.00\n"
              "progress writing 0.00\n");
}

TEST(SceneBuilder, ConstantsRoundToThreeDigitsOnTheSafeSide) {
    EXPECT_NEAR(SceneBuilder::RoundUp(45.31), 45.4, 1e-12);
    EXPECT_NEAR(SceneBuilder::RoundUp(45.3), 45.3, 1e-12);
    EXPECT_NEAR(SceneBuilder::RoundUp(0.0012341), 0.00124, 1e-15);
    EXPECT_NEAR(SceneBuilder::RoundUp(1234.5), 1240.0, 1e-9);
    EXPECT_NEAR(SceneBuilder::RoundDown(45.39), 45.3, 1e-12);
    EXPECT_NEAR(SceneBuilder::RoundDown(100.0), 100.0, 1e-12);
}

TEST(SceneBuilder, ExistingSceneIsReplacedWhole) {
    test::ScratchDir dir;
    const std::string input = dir.Write("model.obj", test::TorusObj(1.0, 0.35));
    const std::string out = dir.Path("scene");
    fs::create_directories(out);
    std::FILE* old = std::fopen((out + "/config.txt").c_str(), "w");
    std::fputs("version 0.1\nstale\n", old);
    std::fclose(old);
    const ToolRun tool = RunTool({input.c_str(), out.c_str(), "--max-springs", "1500"});
    ASSERT_EQ(tool.status, 0) << tool.err;
    EXPECT_EQ(test::ReadWholeFile(out + "/config.txt").rfind("version 0.1\ntetfile body.tet\n", 0),
              0u);
    for (const auto& entry : fs::directory_iterator(out))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

}  // namespace
}  // namespace wobble::builder
