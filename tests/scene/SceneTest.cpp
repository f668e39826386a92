// The scene stepped, reset and inspected with no window and no GL context.

#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "SceneHash.h"
#include "TestFiles.h"
#include "math/ParallelFor.h"

namespace wobble {
namespace {

constexpr const char* kSampleScene = WOBBLE_SOURCE_DIR "/assets";

using test::SceneStateHash;

class SampleScene : public ::testing::Test {
protected:
    void SetUp() override {
        test::CaptureStdout([&] { loaded = scene.Load(kSampleScene).ok(); });
        ASSERT_TRUE(loaded);
        ASSERT_TRUE(scene.IsSimulated());
    }

    // One frame as the program runs it: the steering of the held arrows,
    // splash and pump, then the step and the surface carried along.
    void Frame(bool forward, bool right, bool splash, bool pump) {
        scene.body.controller.Steer(forward, false, false, right);
        if (splash)
            scene.Splash();
        if (pump)
            scene.Pump();
        scene.Step();
        scene.DeformSurface();
    }

    // 60 frames: forward thrust throughout, turning right in frames 20 to 34,
    // splashing in frames 5 to 9, pumping in frames 12 and 13.
    void RunScenario() {
        for (int frame = 1; frame <= 60; ++frame) {
            Frame(true, frame >= 20 && frame < 35, frame >= 5 && frame < 10,
                  frame == 12 || frame == 13);
        }
    }

    Scene scene;
    bool loaded = false;
};

TEST_F(SampleScene, FixedScenarioGivesTheStoredStateHash) {
    // Any change in the arithmetic (an operation order, a float turned double,
    // a fused multiply-add, a time step) changes these bits, in any build.
    // The positions, surface and heights behind this hash are those the
    // program dumps for the replay Up from frame 1, Z in frames 5-9, B in
    // frames 12-13 and Right in frames 20-34, after 60 frames.
    RunScenario();
    EXPECT_EQ(SceneStateHash(scene), 0x53c91a942468c5deull)
        << std::hex << "state hash 0x" << SceneStateHash(scene);
}

double TotalWaterHeight(const Scene& scene) {
    double total = 0.0;
    for (const SbVec3f& p : scene.water.positions)
        total += p[1];
    return total;
}

TEST_F(SampleScene, IdleWaterKeepsItsLevelUnderTheFloatingBody) {
    // The body rests in the water and keeps pushing it aside; the water it
    // stops must give its momentum to the rim, or the level falls by
    // thousands of cell heights over these frames.
    const double start = TotalWaterHeight(scene);
    for (int frame = 1; frame <= 6000; ++frame)
        scene.Step();
    const double cells = static_cast<double>(scene.water.positions.size());
    EXPECT_NEAR(TotalWaterHeight(scene), start, 1e-5 * cells)
        << "mean level " << TotalWaterHeight(scene) / cells;
}

TEST_F(SampleScene, ResetReturnsEveryEvolvingValueToTheLoadedState) {
    const uint64_t loadedHash = SceneStateHash(scene);
    const std::vector<SbVec3f> loadedNormals = scene.body.surface.faceNormals;
    const float restLength = scene.body.springs.restLength[0];
    RunScenario();
    ASSERT_NE(SceneStateHash(scene), loadedHash);
    scene.Reset();
    EXPECT_EQ(SceneStateHash(scene), loadedHash);
    EXPECT_TRUE(scene.body.surface.faceNormals == loadedNormals);
    EXPECT_EQ(scene.body.controller.forwardThrust, 0.0f);
    EXPECT_EQ(scene.body.springs.restLength[0], restLength);  // the pump undone
}

TEST_F(SampleScene, TheWaterGivesWayWhereTheBodyIs) {
    // Thrust pushes the water down at the body's centre in the step itself:
    // the cell under the centre sits below the rest height after one frame.
    Frame(true, false, false, false);
    const SbVec3f centre = scene.body.controller.centre;
    const int i = static_cast<int>(centre[0] / Scene::kWaterSpacing);
    const int j = static_cast<int>(centre[2] / Scene::kWaterSpacing);
    EXPECT_LT(scene.water.positions[i * scene.water.cellsZ + j][1], -1.0f);
}

TEST_F(SampleScene, PerFrameOperationsAllocateNothing) {
    Frame(true, true, true, true);  // scratch sized, first-use work done
    const long count = test::AllocationsDuring([&] {
        for (int frame = 0; frame < 20; ++frame)
            Frame(true, frame % 2 == 0, frame % 3 == 0, frame == 5);
        scene.Reset();
    });
    EXPECT_EQ(count, 0);
}

TEST(Scene, RefusesAFolderWithoutAConfiguration) {
    test::ScratchDir empty;
    Scene scene;
    std::string err;
    Status loaded = Done{};
    err = test::CaptureStderr([&] { loaded = scene.Load(empty.path()); });
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().file, "config.txt");
    EXPECT_NE(err.find("config.txt: cannot open the scene configuration"), std::string::npos);
    EXPECT_FALSE(scene.IsSimulated());
}

}  // namespace
}  // namespace wobble

namespace wobble {
namespace {

// The sample body dressed in a sphere of `rings` x `segments` x 2 triangles
// around it, more than the pieces the surface is refreshed and drawn in.
std::string WriteDenseScene(const test::ScratchDir& dir, int rings, int segments) {
    const std::string sample = WOBBLE_SOURCE_DIR "/assets/";
    dir.Write("config.txt", test::ReadWholeFile(sample + "config.txt"));
    dir.Write("body.tet", test::ReadWholeFile(sample + "body.tet"));
    const auto point = [&](int r, int s) {
        const double polar = 3.14159265 * (r + 0.5) / rings, around = 6.2831853 * s / segments;
        return std::array<double, 3>{30.0 + 12.0 * std::sin(polar) * std::cos(around),
                                     8.0 * std::cos(polar),
                                     30.0 + 12.0 * std::sin(polar) * std::sin(around)};
    };
    dir.Write("body.obj", test::GridObj(rings, segments, point, true));
    return dir.path();
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// The surface refreshed on a helper while the frame is drawn is refreshed
// exactly as at once, on one thread or more; the count the drawing waits on
// reaches every triangle, and is gone once the refresh is finished.
TEST(DenseSurface, RefreshedBesideTheDrawingItHasTheBitsOfARefreshAtOnce) {
    test::ScratchDir dir;
    const std::string folder = WriteDenseScene(dir, 120, 200);
    Scene atOnce, beside;
    test::CaptureStdout([&] {
        ASSERT_TRUE(atOnce.Load(folder).ok());
        ASSERT_TRUE(beside.Load(folder).ok());
    });
    ASSERT_GT(beside.body.surface.triangleCount, 40000);
    const int defaultThreads = ParallelThreads();
    for (int threads : {1, 2}) {
        SetParallelThreads(threads);
        for (Scene* scene : {&atOnce, &beside}) {
            scene->body.controller.forwardThrust = 30.0f;
            scene->Step();
        }
        atOnce.DeformSurface();
        SurfaceRefresh refresh = beside.StartDeformSurface();
        if (const std::atomic<int>* refreshed = refresh.Refreshed()) {
            while (refreshed->load() < beside.body.surface.triangleCount)
                std::this_thread::yield();
        }
        // Moved on, the refresh is its new holder's; going, it has waited.
        SurfaceRefresh held = std::move(refresh);
        EXPECT_EQ(refresh.Refreshed(), nullptr);
        held.Finish();
        EXPECT_EQ(held.Refreshed(), nullptr);
        const SurfaceMesh& a = atOnce.body.surface;
        const SurfaceMesh& b = beside.body.surface;
        EXPECT_TRUE(SameBits(a.vertices, b.vertices)) << threads << " threads";
        EXPECT_TRUE(SameBits(a.faceNormals, b.faceNormals)) << threads << " threads";
        EXPECT_TRUE(SameBits(a.cornerPositions, b.cornerPositions)) << threads << " threads";
        EXPECT_TRUE(SameBits(a.flatNormals, b.flatNormals)) << threads << " threads";
    }
    SetParallelThreads(defaultThreads);
}

}  // namespace
}  // namespace wobble
