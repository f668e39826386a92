#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>
#include <cmath>

#include "SceneFixture.h"
#include "TestFiles.h"
#include "TestShapes.h"
#include "builder/SceneWriter.h"
#include "softbody/SoftBody.h"

namespace wobble::builder {
namespace {

using test::PlaceShape;

struct BuiltCage {
    PlacedSurface surface;
    WindingNumberTree winding;
    VoxelCage cage;
};

// Places the surface and builds its winding-number tree, ready for a cage.
void Prepare(BuiltCage& b, const std::string& obj) {
    b.surface = PlaceShape(obj);
    b.winding.Build(b.surface.exactVertices, b.surface.triangles);
}

void BuildAt(BuiltCage& b, const std::string& obj, int resolution) {
    Prepare(b, obj);
    b.cage.Build(b.surface, b.winding, resolution);
}

// Every surface vertex must lie in (or on) a cell of the cage, or the surface
// would hang outside the body.
int VerticesOutsideTheCage(const BuiltCage& b) {
    const VoxelCage& c = b.cage;
    int outside = 0;
    for (const SbVec3d& v : b.surface.exactVertices) {
        bool covered = false;
        const SbVec3d at = (v - c.origin) / c.cellSize;
        for (int di = -1; di <= 0 && !covered; ++di) {
            for (int dj = -1; dj <= 0 && !covered; ++dj) {
                for (int dk = -1; dk <= 0 && !covered; ++dk) {
                    // The cells whose closed box holds the vertex.
                    const int i = static_cast<int>(std::floor(at[0] + 1e-9)) + di;
                    const int j = static_cast<int>(std::floor(at[1] + 1e-9)) + dj;
                    const int k = static_cast<int>(std::floor(at[2] + 1e-9)) + dk;
                    if (i < 0 || j < 0 || k < 0 || i >= c.cellsX || j >= c.cellsY || k >= c.cellsZ)
                        continue;
                    if (at[0] > i + 1 + 1e-9 || at[1] > j + 1 + 1e-9 || at[2] > k + 1 + 1e-9)
                        continue;
                    covered = c.cells[c.CellIndex(i, j, k)] != VoxelCage::kEmpty;
                }
            }
        }
        outside += !covered;
    }
    return outside;
}

void ExpectSoundBody(const BuiltCage& b) {
    const VoxelCage& c = b.cage;
    ASSERT_FALSE(c.tetras.empty());
    EXPECT_EQ(c.tetras.size(), 6u * c.KeptCellCount());
    for (size_t t = 0; t < c.tetras.size(); ++t)
        ASSERT_GT(test::TetraVolume(c, static_cast<int>(t)), 0.0) << t;
    int crowded = -1, open = -1;
    test::CountNonManifold(c, crowded, open);
    EXPECT_EQ(crowded, 0);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(test::ConnectedPieces(c), 1);
    EXPECT_EQ(VerticesOutsideTheCage(b), 0);
    // Every vertex belongs to some tetra.
    std::vector<char> used(c.vertices.size(), 0);
    for (const auto& tet : c.tetras) {
        for (int corner : tet)
            used[corner] = 1;
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), 0), 0);
}

TEST(VoxelCage, SphereMakesAFilledSoundBody) {
    BuiltCage b;
    BuildAt(b, test::SphereObj(1.0, 0, 0, 0), 10);
    ExpectSoundBody(b);
    EXPECT_GT(b.cage.enclosedCells, 0);
    EXPECT_EQ(b.cage.partCount, 1);
    // The middle of the sphere is part of the body.
    const VoxelCage& c = b.cage;
    EXPECT_NE(c.cells[c.CellIndex(c.cellsX / 2, c.cellsY / 2, c.cellsZ / 2)], VoxelCage::kEmpty);
    EXPECT_NEAR(c.cellSize, 4.0, 1e-9);
}

TEST(VoxelCage, SpringCountIsWhatTheProgramsLoaderMakes) {
    BuiltCage b;
    BuildAt(b, test::TorusObj(1.0, 0.35), 14);
    ExpectSoundBody(b);
    SoftBody body;
    test::ScratchDir dir;
    const std::string path =
        dir.Write("body.tet", SceneWriter::TetText(b.cage.vertices, b.cage.tetras));
    bool loaded = false;
    test::CaptureStdout([&] { loaded = body.LoadTetFile(path, 1.0f, 1.0f).ok(); });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(body.springCount, b.cage.springCount);
    EXPECT_EQ(body.particleCount, static_cast<int>(b.cage.vertices.size()));
}

// A tetra by its corners' positions, in its corner order.
using CornerPositions = std::array<std::array<float, 3>, 4>;

std::vector<CornerPositions> TetrasByPosition(const VoxelCage& c) {
    std::vector<CornerPositions> out;
    for (const auto& t : c.tetras) {
        CornerPositions corners;
        for (int k = 0; k < 4; ++k)
            corners[k] = {c.vertices[t[k]][0], c.vertices[t[k]][1], c.vertices[t[k]][2]};
        out.push_back(corners);
    }
    return out;
}

TEST(VoxelCage, OrderAlongTheCurveNumbersTheSameBodyByMortonCodeAndFirstUse) {
    BuiltCage b;
    BuildAt(b, test::TorusObj(1.0, 0.35), 14);
    const std::vector<CornerPositions> inGridOrder = TetrasByPosition(b.cage);
    const int springs = b.cage.springCount;
    b.cage.OrderAlongCurve();
    ExpectSoundBody(b);
    EXPECT_EQ(b.cage.springCount, springs);
    std::vector<CornerPositions> alongCurve = TetrasByPosition(b.cage);
    ASSERT_EQ(alongCurve.size(), inGridOrder.size());
    EXPECT_NE(alongCurve, inGridOrder);
    // The same tetras, each with its corners in the same order.
    std::vector<CornerPositions> sorted = inGridOrder;
    std::sort(sorted.begin(), sorted.end());
    std::sort(alongCurve.begin(), alongCurve.end());
    EXPECT_EQ(alongCurve, sorted);
    // Cells (six tetras each, corner 0 their lowest corner) by rising Morton
    // code; vertices numbered where a tetra first uses them.
    const VoxelCage& c = b.cage;
    auto morton = [&](int vertex) {
        const SbVec3f& p = c.vertices[vertex];
        uint64_t code = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const auto n = static_cast<uint64_t>(std::lround((p[axis] - c.origin[axis]) / c.cellSize));
            for (int bit = 0; bit < 21; ++bit)
                code |= (n >> bit & 1) << (3 * bit + axis);
        }
        return code;
    };
    int nextNew = 0;
    for (size_t t = 0; t < c.tetras.size(); ++t) {
        if (t % 6 == 0 && t > 0) {
            ASSERT_LT(morton(c.tetras[t - 6][0]), morton(c.tetras[t][0])) << t;
        }
        for (const int v : c.tetras[t]) {
            ASSERT_LE(v, nextNew) << t;
            nextNew = std::max(nextNew, v + 1);
        }
    }
    EXPECT_EQ(nextNew, static_cast<int>(c.vertices.size()));
}

TEST(VoxelCage, TorusKeepsItsHoleOpen) {
    BuiltCage b;
    BuildAt(b, test::TorusObj(1.0, 0.35), 20);
    ExpectSoundBody(b);
    const VoxelCage& c = b.cage;
    EXPECT_EQ(c.cells[c.CellIndex(c.cellsX / 2, c.cellsY / 2, c.cellsZ / 2)], VoxelCage::kEmpty);
}

TEST(VoxelCage, HoleAndDuplicatedSeamStillGiveAFilledBody) {
    BuiltCage b;
    BuildAt(b, test::HoleySphereObj(4), 10);
    ExpectSoundBody(b);
    // The flood comes in through the hole; the winding number fills the inside.
    EXPECT_GT(b.cage.windingCells, 0);
    const VoxelCage& c = b.cage;
    EXPECT_NE(c.cells[c.CellIndex(c.cellsX / 2, c.cellsY / 2, c.cellsZ / 2)], VoxelCage::kEmpty);
}

TEST(VoxelCage, InsideOutSurfaceIsFilledAllTheSame) {
    test::ShapeOptions reversed;
    reversed.reversed = true;
    BuiltCage forward, backward;
    BuildAt(forward, test::HoleySphereObj(4), 10);
    BuildAt(backward, test::HoleySphereObj(4, reversed), 10);
    EXPECT_EQ(forward.cage.cells, backward.cage.cells);
}

TEST(VoxelCage, TwoLoosePartsAreBridgedIntoOneBody) {
    BuiltCage b;
    BuildAt(b, test::TwoSpheresObj(), 20);
    EXPECT_EQ(b.cage.partCount, 2);
    EXPECT_GT(b.cage.bridgeCells, 0);
    ExpectSoundBody(b);
}

TEST(VoxelCage, LooseSingleCellIsDropped) {
    // A sphere and, far off, a speck much smaller than a cell.
    std::string obj = test::SphereObj(1.0, 0, 0, 0);
    obj += "v 2.45 0.05 0.05\nv 2.451 0.05 0.05\nv 2.45 0.051 0.05\nv 2.45 0.05 0.051\n";
    obj += "f -4 -3 -2\nf -4 -3 -1\nf -4 -2 -1\nf -3 -2 -1\n";
    BuiltCage b;
    BuildAt(b, obj, 10);
    EXPECT_EQ(b.cage.partCount, 2);
    EXPECT_EQ(b.cage.droppedCells, 1);
    EXPECT_EQ(b.cage.bridgeCells, 0);
    EXPECT_EQ(test::ConnectedPieces(b.cage), 1);
}

TEST(VoxelCage, OpenThinShellStillMakesOneConnectedBody) {
    // The lower half of a sphere: a bowl with nothing inside it.
    BuiltCage b;
    BuildAt(b, test::HoleySphereObj(8), 16);
    ExpectSoundBody(b);
}

TEST(VoxelCage, BudgetPicksTheFinestCageThatFits) {
    BuiltCage b;
    Prepare(b, test::HullObj());
    ASSERT_TRUE(b.cage.BuildWithinBudget(b.surface, b.winding, 3000));
    EXPECT_LE(b.cage.springCount, 3000);
    EXPECT_GT(b.cage.springCount, 1500);
    const int chosen = b.cage.resolution;
    ExpectSoundBody(b);
    VoxelCage finer;
    finer.Build(b.surface, b.winding, chosen + 1);
    EXPECT_GT(finer.springCount, 3000);
}

TEST(VoxelCage, BudgetBelowTheCoarsestCageIsRefused) {
    BuiltCage b;
    Prepare(b, test::SphereObj(1.0, 0, 0, 0));
    EXPECT_FALSE(b.cage.BuildWithinBudget(b.surface, b.winding, 10));
    EXPECT_GT(b.cage.springCount, 10);
}

TEST(VoxelCage, ResolutionIsCappedByTheGridSize) {
    const int finest = VoxelCage::FinestResolution(SbVec3d(40, 40, 40));
    EXPECT_LE(static_cast<long long>(finest + 3) * (finest + 3) * (finest + 3),
              VoxelCage::kMaxGridCells * 2);
    EXPECT_GT(static_cast<long long>(finest + 4) * (finest + 4) * (finest + 4),
              VoxelCage::kMaxGridCells);
}

}  // namespace
}  // namespace wobble::builder
