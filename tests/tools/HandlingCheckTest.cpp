// A body built from a model handles like the sample: the sample's own
// figures are what HandlingCheck measures on it; five models of different
// shapes, built at the coarse detail, travel and turn within the band,
// give and settle, and stay finite through 2000 frames of everything a user
// can do to them at once. (bench/bench_handling prints the same for the
// medium and fine details, which take minutes to build.)

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "builder/HandlingCheck.h"
#include "builder/SceneBuilder.h"
#include "builder/SceneOptions.h"
#include "math/VecMath.h"
#include "scene/Scene.h"

namespace wobble::builder {
namespace {

TEST(HandlingCheck, TheSamplesFiguresAreWhatItMeasuresOnTheSample) {
    Result<Handling> sample = HandlingCheck::MeasureScene(WOBBLE_SOURCE_DIR "/assets");
    ASSERT_TRUE(sample.ok()) << sample.error().message;
    EXPECT_NEAR(sample->travel, HandlingCheck::kSampleTravel, 0.01 * HandlingCheck::kSampleTravel);
    EXPECT_NEAR(sample->turn, HandlingCheck::kSampleTurn, 0.01 * HandlingCheck::kSampleTurn);
    EXPECT_TRUE(HandlingCheck::HandlesLikeTheSample(*sample));
}

// 2000 frames of the scene as the program runs it: full thrust forward and
// turning left then right, pumping now and then, and the strongest grab
// pulling a particle of the tail far up; true while every position is finite.
bool StaysFiniteUnderEverything(Scene& scene) {
    SceneTuning tuning = scene.Tuning();
    tuning.grabStrength = 1.0f;
    scene.Tune(tuning);
    const int tail = scene.body.controller.controlParticles[4] - scene.body.particles.data();
    for (int frame = 0; frame < 2000; ++frame) {
        scene.body.controller.Steer(true, false, frame % 600 < 300, frame % 600 >= 300);
        if (frame % 100 == 0)
            scene.Pump();
        if (frame == 500) {
            const SbVec3f above = scene.body.particles[tail].position + SbVec3f(0, 60, 0);
            scene.body.pull.Hold(tail, above, scene.PullStiffness(), scene.water.radius);
        }
        if (frame == 1500)
            scene.body.pull.Release();
        scene.Step();
        for (const Particle& p : scene.body.particles) {
            if (!VecIsFinite(p.position))
                return false;
        }
    }
    return true;
}

TEST(HandlingCheck, ModelsOfEveryShapeHandleLikeTheSampleAndStayFinite) {
    const std::string models = "/usr/share/assimp/models/";
    if (!std::filesystem::exists(models))
        GTEST_SKIP() << "the package assimp-testmodels is not installed (scripts/install-deps)";
    struct Case {
        const char* shape;
        const char* file;
    };
    const Case cases[] = {
        {"long", "STL/Spider_binary.stl"},
        {"round", "PLY/Wuson.ply"},
        {"flat", "3DS/fels.3ds"},
        {"tall", "Collada/duck.dae"},
        {"two parts", "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb"},
    };
    const int coarse = SceneOptions::kDetailLevels[0].springs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        Result<BuiltScene> built =
            SceneBuilder::Build(models + c.file, SceneOptions::kDefaultSize, coarse);
        ASSERT_TRUE(built.ok()) << built.error().message;
        const ConstantsStep& k = built->constants;
        EXPECT_TRUE(k.stable) << k.check.problem;
        const Handling& h = k.feel;
        EXPECT_TRUE(HandlingCheck::InBand(HandlingCheck::TravelRatio(h))) << h.travel;
        EXPECT_TRUE(HandlingCheck::InBand(HandlingCheck::TurnRatio(h))) << h.turn;
        EXPECT_GE(h.give, HandlingCheck::kLeastGive);
        EXPECT_LE(h.unrest, HandlingCheck::kMostUnrest);

        // As written and loaded by the program.
        test::ScratchDir dir;
        Result<std::string> folder = SceneBuilder::WriteScene(dir.Path("scene"), built->cage.cage,
                                                              built->surface, built->controls, k);
        ASSERT_TRUE(folder.ok()) << folder.error().message;
        Scene scene;
        bool loaded = false;
        test::CaptureStdout([&] { loaded = scene.Load(*folder).ok(); });
        ASSERT_TRUE(loaded);
        EXPECT_EQ(scene.body.handling.subSteps, k.handling.body.subSteps);
        EXPECT_TRUE(StaysFiniteUnderEverything(scene));
    }
}

}  // namespace
}  // namespace wobble::builder
