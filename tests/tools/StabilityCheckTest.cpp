#include <gtest/gtest.h>

#include "LatticeModel.h"
#include "TestFiles.h"
#include "builder/StabilityCheck.h"

namespace wobble::builder {
namespace {

// A block of 8 x 3 x 3 cubes of side 2, steered by its end corners.
struct Block {
    test::LatticeModel model;
    int controls[8];
    TetModel tets;

    Block() {
        model.cubesX = 8;
        model.cubesY = 3;
        model.cubesZ = 3;
        model.spacing = 2.0f;
        const int nx = 8, ny = 3, nz = 3;
        const int front[4] = {model.VertexIndex(nx, ny, 1), model.VertexIndex(nx, 0, 1),
                              model.VertexIndex(nx, 1, nz), model.VertexIndex(nx, 1, 0)};
        const int rear[4] = {model.VertexIndex(0, ny, 1), model.VertexIndex(0, 0, 1),
                             model.VertexIndex(0, 1, nz), model.VertexIndex(0, 1, 0)};
        for (int k = 0; k < 4; ++k) {
            controls[k] = front[k];
            controls[k + 4] = rear[k];
        }
        test::ScratchDir dir;
        Result<TetModel> read = ReadTetFile(dir.Write("block.tet", model.Text()));
        EXPECT_TRUE(read);
        if (read)
            tets = *read;
    }
};

TEST(StabilityCheck, StiffEnoughBodyHoldsTogetherAndMoves) {
    Block block;
    StabilityCheck check;
    ASSERT_TRUE(check.Run(block.tets, 40.0f, 1.0f, block.controls)) << check.problem;
    EXPECT_EQ(check.stepsRun, StabilityCheck::kSteps);
    EXPECT_TRUE(check.problem.empty());
    // It swells towards rest lengths 1.1 times the loaded ones, and no more than that much.
    EXPECT_GT(check.largestGrowth, 1.05);
    EXPECT_LT(check.largestGrowth, 1.5);
    EXPECT_LT(check.largestTangle, StabilityCheck::kTangledShare);
    EXPECT_GT(check.distanceTravelled, 10.0);
}

TEST(StabilityCheck, StiffnessFarAboveTheMassBlowsUp) {
    Block block;
    StabilityCheck check;
    EXPECT_FALSE(check.Run(block.tets, 400.0f, 1.0f, block.controls));
    EXPECT_LT(check.stepsRun, StabilityCheck::kSteps);
    EXPECT_FALSE(check.problem.empty());
}

TEST(StabilityCheck, SpringsTooSoftForTheThrustTangle) {
    Block block;
    StabilityCheck check;
    EXPECT_FALSE(check.Run(block.tets, 3.0f, 0.075f, block.controls));
    EXPECT_NE(check.problem.find("tangled"), std::string::npos) << check.problem;
}

TEST(StabilityCheck, ModelTheProgramRefusesFails) {
    TetModel bad;
    bad.vertices.assign(8, SbVec3f(0, 0, 0));
    bad.tetras.push_back({0, 1, 2, 8});  // one past the last vertex
    const int controls[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    StabilityCheck check;
    EXPECT_FALSE(check.Run(bad, 40.0f, 1.0f, controls));
    EXPECT_NE(check.problem.find("refused"), std::string::npos);
    EXPECT_EQ(check.stepsRun, 0);
}

TEST(StabilityCheck, ControlParticleOutsideTheBodyFails) {
    Block block;
    int controls[8];
    std::copy(block.controls, block.controls + 8, controls);
    controls[5] = block.model.VertexCount();
    StabilityCheck check;
    EXPECT_FALSE(check.Run(block.tets, 40.0f, 1.0f, controls));
    EXPECT_EQ(check.stepsRun, 0);
}

TEST(StabilityCheck, PrintsNothing) {
    Block block;
    StabilityCheck check;
    const std::string out =
        test::CaptureStdout([&] { check.Run(block.tets, 40.0f, 1.0f, block.controls); });
    EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace wobble::builder
