#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "LatticeModel.h"
#include "TestFiles.h"
#include "math/ParallelFor.h"
#include "math/VecMath.h"
#include "softbody/CentroidTree.h"
#include "softbody/SoftBody.h"

namespace wobble {
namespace {

using test::CaptureStdout;
using test::ScratchDir;

// A body made by hand: particles at `points`, tetras by corner indices.
void MakeBody(SoftBody& body, const std::vector<SbVec3f>& points,
              const std::vector<std::array<int, 4>>& tetras) {
    body.particles.assign(points.size(), Particle());
    for (size_t i = 0; i < points.size(); ++i) {
        body.particles[i].position = points[i];
        body.particles[i].mass = 1.0f;
    }
    body.particleCount = static_cast<int>(points.size());
    body.tetras.assign(tetras.size(), Tetra());
    for (size_t t = 0; t < tetras.size(); ++t) {
        for (int c = 0; c < 4; ++c) {
            body.tetras[t].cornerIndices[c] = tetras[t][c];
            body.tetras[t].corners[c] = &body.particles[tetras[t][c]];
        }
    }
    body.tetraCount = static_cast<int>(tetras.size());
}

// A surface of loose vertices (no triangles), with junk in the binding arrays
// so that every entry the binding leaves alone shows.
void MakeSurface(SurfaceMesh& mesh, const std::vector<SbVec3f>& vertices) {
    mesh.vertices = vertices;
    mesh.vertexCount = static_cast<int>(vertices.size());
    mesh.vertexTetra.assign(vertices.size(), 12345);
    mesh.barycentric.assign(vertices.size(), SbVec4f(7, 7, 7, 7));
    mesh.triangleCount = 0;
}

const std::vector<SbVec3f> kCorners = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}};

TEST(SurfaceBinding, VertexAtATetraCornerGetsWeightOneThereAndFollowsIt) {
    SoftBody body;
    MakeBody(body, kCorners, {{0, 1, 2, 3}});
    MakeSurface(body.surface, {{2, 0, 0}});
    body.BindSurface();
    ASSERT_EQ(body.surface.vertexTetra[0], 0);
    const SbVec4f& w = body.surface.barycentric[0];
    EXPECT_NEAR(w[0], 0.0f, 1e-6f);
    EXPECT_NEAR(w[1], 1.0f, 1e-6f);
    EXPECT_NEAR(w[2], 0.0f, 1e-6f);
    EXPECT_NEAR(w[3], 0.0f, 1e-6f);

    body.particles[1].position.setValue(5, 1, -1);
    body.tetras[0].UpdateMatrix();
    body.DeformSurface();
    EXPECT_NEAR(body.surface.vertices[0][0], 5.0f, 1e-5f);
    EXPECT_NEAR(body.surface.vertices[0][1], 1.0f, 1e-5f);
    EXPECT_NEAR(body.surface.vertices[0][2], -1.0f, 1e-5f);
}

TEST(SurfaceBinding, VertexOutsideTheBodyBindsToTheNearestCentroidWithNegativeWeights) {
    // Two tetras side by side along x; the vertex lies beyond the second.
    SoftBody body;
    MakeBody(body,
             {{0, 0, 0},
              {2, 0, 0},
              {0, 2, 0},
              {0, 0, 2},
              {10, 0, 0},
              {12, 0, 0},
              {10, 2, 0},
              {10, 0, 2}},
             {{0, 1, 2, 3}, {4, 5, 6, 7}});
    MakeSurface(body.surface, {{16, 1, 1}});
    body.BindSurface();
    ASSERT_EQ(body.surface.vertexTetra[0], 1);
    const SbVec4f& w = body.surface.barycentric[0];
    EXPECT_LT(w[0], 0.0f);
    EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-5f);
    // It moves with the tetra's extrapolated motion: a shift moves it alike.
    for (int i = 4; i < 8; ++i)
        body.particles[i].position += SbVec3f(0, 3, 0);
    body.tetras[1].UpdateMatrix();
    body.DeformSurface();
    EXPECT_NEAR(body.surface.vertices[0][0], 16.0f, 1e-4f);
    EXPECT_NEAR(body.surface.vertices[0][1], 4.0f, 1e-4f);
    EXPECT_NEAR(body.surface.vertices[0][2], 1.0f, 1e-4f);
}

TEST(SurfaceBinding, EqualCentroidDistancesGoToTheLowerTetraIndex) {
    // Two tetras mirrored in the plane x = 0: centroids (-1, 0.5, 0.5) and
    // (1, 0.5, 0.5). A vertex on the plane is exactly as far from both.
    const std::vector<SbVec3f> points = {{-2, 0, 0}, {-2, 2, 0}, {0, 0, 2}, {0, 0, 0},
                                         {2, 0, 0},  {2, 2, 0},  {0, 0, 2}, {0, 0, 0}};
    for (int order = 0; order < 2; ++order) {
        SoftBody body;
        if (order == 0) {
            MakeBody(body, points, {{0, 1, 2, 3}, {4, 5, 6, 7}});
        } else {
            MakeBody(body, points, {{4, 5, 6, 7}, {0, 1, 2, 3}});
        }
        MakeSurface(body.surface, {{0, 7, -3}, {0, 0.5f, 0.5f}});
        body.BindSurface();
        EXPECT_EQ(body.surface.vertexTetra[0], 0) << order;
        EXPECT_EQ(body.surface.vertexTetra[1], 0) << order;
    }
}

TEST(SurfaceBinding, FlatTetraGivesItsNearestCornerWeightOne) {
    // Corners in the plane z = 0: no barycentric weights exist.
    SoftBody body;
    MakeBody(body, {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {4, 4, 0}}, {{0, 1, 2, 3}});
    MakeSurface(body.surface, {{3.5f, 3, 1}, {2, 2, 5}, {0.1f, 0.2f, 0}});
    body.BindSurface();
    for (int v = 0; v < 3; ++v)
        EXPECT_EQ(body.surface.vertexTetra[v], 0);
    EXPECT_EQ(body.surface.barycentric[0], SbVec4f(0, 0, 0, 1));
    // Equally near all four corners: the lowest corner.
    EXPECT_EQ(body.surface.barycentric[1], SbVec4f(1, 0, 0, 0));
    EXPECT_EQ(body.surface.barycentric[2], SbVec4f(1, 0, 0, 0));
    body.particles[3].position.setValue(9, 9, 9);
    body.tetras[0].UpdateMatrix();
    body.DeformSurface();
    EXPECT_EQ(body.surface.vertices[0], SbVec3f(9, 9, 9));
}

TEST(SurfaceBinding, BodyWithoutTetrasBindsNothingAndTheSurfaceStaysAsLoaded) {
    SoftBody body;
    MakeSurface(body.surface, {{1, 2, 3}, {4, 5, 6}});
    body.BindSurface();
    EXPECT_EQ(body.surface.vertexTetra, (std::vector<int>{-1, -1}));
    body.DeformSurface();
    EXPECT_EQ(body.surface.vertices[0], SbVec3f(1, 2, 3));
    EXPECT_EQ(body.surface.vertices[1], SbVec3f(4, 5, 6));
}

TEST(SurfaceBinding, VertexThatIsNotFiniteStaysUnbound) {
    SoftBody body;
    MakeBody(body, kCorners, {{0, 1, 2, 3}});
    MakeSurface(body.surface, {{NAN, 0, 0}, {INFINITY, 0, 0}, {1e30f, 0, 0}, {1, 1, 1}});
    body.BindSurface();
    EXPECT_EQ(body.surface.vertexTetra, (std::vector<int>{-1, -1, -1, 0}));
    body.DeformSurface();
    EXPECT_EQ(body.surface.vertices[2], SbVec3f(1e30f, 0, 0));
}

TEST(SurfaceBinding, FailedOrMissingMeshIsVisitedNowhere) {
    SoftBody body;
    MakeBody(body, kCorners, {{0, 1, 2, 3}});
    // Never loaded: vertexCount is -1 and there are no arrays.
    body.BindSurface();
    body.DeformSurface();
    ScratchDir dir;
    CaptureStdout([&] { EXPECT_FALSE(body.surface.LoadMesh(dir.Path("missing.obj"))); });
    body.BindSurface();
    body.DeformSurface();
    EXPECT_EQ(body.surface.vertexCount, 0);
    EXPECT_EQ(body.surface.triangleCount, 0);
}

TEST(SurfaceBinding, DeformationReproducesTheLoadedSurfaceBeforeAnythingMoves) {
    ScratchDir dir;
    const test::LatticeModel lattice{
        .cubesX = 4, .cubesY = 3, .cubesZ = 2, .spacing = 1.5f, .originX = 10.0f};
    const auto tet = dir.Write("box.tet", lattice.Text());
    // A surface around and through the box, some of it outside.
    std::string obj;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> x(9.0f, 17.0f), y(-1.0f, 5.5f), z(-1.0f, 4.0f);
    for (int i = 0; i < 300; ++i) {
        obj += "v " + std::to_string(x(rng)) + " " + std::to_string(y(rng)) + " " +
               std::to_string(z(rng)) + "\n";
    }
    for (int i = 1; i + 2 <= 300; i += 3) {
        obj += "f " + std::to_string(i) + " " + std::to_string(i + 1) + " " +
               std::to_string(i + 2) + "\n";
    }
    const auto mesh = dir.Write("skin.obj", obj);
    SoftBody body;
    CaptureStdout([&] {
        ASSERT_TRUE(body.LoadTetFile(tet, 10.0f, 1.0f));
        ASSERT_TRUE(body.surface.LoadMesh(mesh));
    });
    const std::vector<SbVec3f> loaded = body.surface.vertices;
    const std::vector<SbVec3f> loadedNormals = body.surface.faceNormals;
    body.BindSurface();
    body.DeformSurface();
    for (int v = 0; v < body.surface.vertexCount; ++v) {
        ASSERT_GE(body.surface.vertexTetra[v], 0);
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(body.surface.vertices[v][a], loaded[v][a], 2e-5f) << v;
        }
    }
    body.surface.ComputeFaceNormals();
    for (int t = 0; t < body.surface.triangleCount; ++t) {
        const SbVec3f d = body.surface.faceNormals[t] - loadedNormals[t];
        EXPECT_LT(VecLength(d), 1e-2f) << t;
    }
}

// The plain search of the binding: every tetra, in index order.
int PlainNearest(const std::vector<SbVec3f>& centroids, const SbVec3f& p) {
    int best = -1;
    float bestDistance = 1e38f;
    for (int t = 0; t < static_cast<int>(centroids.size()); ++t) {
        const float d = (p - centroids[t]).length();
        if (d < bestDistance) {
            bestDistance = d;
            best = t;
        }
    }
    return best;
}

TEST(CentroidTree, AgreesWithThePlainSearchOnLatticesFullOfTies) {
    // Lattice centroids repeat in patterns and many points are exactly as far
    // from several of them; points come from the lattice too.
    std::vector<SbVec3f> centroids;
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 7; ++j)
            for (int k = 0; k < 9; ++k) {
                centroids.emplace_back(i * 0.5f, j * 0.25f, k * 0.75f);
                if ((i + j + k) % 5 == 0)
                    centroids.emplace_back(i * 0.5f, j * 0.25f, k * 0.75f);
            }
    std::mt19937 rng(11);
    std::shuffle(centroids.begin(), centroids.end(), rng);
    CentroidTree tree;
    tree.Build(centroids);
    std::uniform_int_distribution<int> cell(-3, 40);
    std::uniform_int_distribution<int> hint(-1, static_cast<int>(centroids.size()) - 1);
    for (int n = 0; n < 20000; ++n) {
        const SbVec3f p(cell(rng) * 0.25f, cell(rng) * 0.125f, cell(rng) * 0.375f);
        const int expected = PlainNearest(centroids, p);
        ASSERT_EQ(tree.Nearest(p, 1e38f), expected) << p[0] << " " << p[1];
        // A hint, good or bad, changes nothing but the time.
        ASSERT_EQ(tree.Nearest(p, 1e38f, hint(rng)), expected);
        ASSERT_EQ(tree.Nearest(p, 1e38f, expected), expected);
    }
}

TEST(CentroidTree, AgreesWithThePlainSearchOnScatteredAndFarPoints) {
    std::mt19937 rng(3);
    std::normal_distribution<float> spread(0.0f, 30.0f);
    std::vector<SbVec3f> centroids;
    for (int i = 0; i < 3000; ++i)
        centroids.emplace_back(spread(rng), spread(rng), spread(rng));
    centroids.emplace_back(NAN, 0, 0);  // can never be nearest
    centroids.emplace_back(3e38f, 3e38f, 0);
    CentroidTree tree;
    tree.Build(centroids);
    std::uniform_real_distribution<float> scale(-6.0f, 6.0f);
    for (int n = 0; n < 5000; ++n) {
        const float s = std::pow(10.0f, scale(rng) * 0.5f + 1.0f);
        const SbVec3f p(spread(rng) * s, spread(rng) * s, spread(rng) * s);
        ASSERT_EQ(tree.Nearest(p, 1e38f), PlainNearest(centroids, p));
    }
    EXPECT_EQ(tree.Nearest(SbVec3f(1e37f, 1e37f, 1e37f), 1e38f), -1);
    CentroidTree empty;
    empty.Build({});
    EXPECT_EQ(empty.Nearest(SbVec3f(0, 0, 0), 1e38f), -1);
}

}  // namespace
}  // namespace wobble

namespace wobble {
namespace {

// What binding and deformation leave in the surface, every float as its bits.
struct SurfaceBits {
    std::vector<int> tetras;
    std::vector<uint32_t> floats;
};

template <typename Vec>
void AppendBits(std::vector<uint32_t>& out, const std::vector<Vec>& values, int size) {
    for (const Vec& v : values) {
        for (int a = 0; a < size; ++a) {
            uint32_t bits;
            std::memcpy(&bits, &v.getValue()[a], sizeof bits);
            out.push_back(bits);
        }
    }
}

TEST(SurfaceBinding, BindingAndDeformationGiveTheSameBitsForAnyNumberOfThreads) {
    ScratchDir dir;
    const test::LatticeModel lattice{.cubesX = 6, .cubesY = 4, .cubesZ = 5, .spacing = 2.0f};
    const auto tet = dir.Write("box.tet", lattice.Text());
    // A wavy sheet through and beyond the box, large enough to be shared
    // out among threads.
    const auto sheet =
        dir.Write("sheet.obj", test::GridObj(150, 150, [](int i, int j) {
                      return std::array<double, 3>{
                          -2.0 + i * 0.11, 4.0 + 3.0 * std::sin(i * 0.2 + j * 0.1), -2.0 + j * 0.1};
                  }));
    SoftBody body;
    CaptureStdout([&] {
        ASSERT_TRUE(body.LoadTetFile(tet, 10.0f, 1.0f));
        ASSERT_TRUE(body.surface.LoadMesh(sheet));
    });
    const std::vector<Particle> rest = body.particles;
    const std::vector<SbVec3f> loaded = body.surface.vertices;

    const auto bindAndDeform = [&](int threads) {
        SetParallelThreads(threads);
        std::copy(rest.begin(), rest.end(), body.particles.begin());
        body.surface.vertices = loaded;
        body.BindSurface();
        // The body sheared and squeezed, so that every weight counts.
        for (Particle& p : body.particles) {
            p.position[0] += 0.3f * p.position[1];
            p.position[2] *= 0.8f;
        }
        for (Tetra& t : body.tetras)
            t.UpdateMatrix();
        body.DeformSurface();
        const SurfaceMesh& mesh = body.surface;
        SurfaceBits bits;
        bits.tetras = mesh.vertexTetra;
        AppendBits(bits.floats, mesh.barycentric, 4);
        AppendBits(bits.floats, mesh.vertices, 3);
        AppendBits(bits.floats, mesh.cornerPositions, 3);
        for (float f : mesh.flatNormals) {
            uint32_t b;
            std::memcpy(&b, &f, sizeof b);
            bits.floats.push_back(b);
        }
        return bits;
    };
    const int defaultThreads = ParallelThreads();
    const SurfaceBits one = bindAndDeform(1);
    const SurfaceBits two = bindAndDeform(2);
    const SurfaceBits three = bindAndDeform(3);
    SetParallelThreads(defaultThreads);
    EXPECT_TRUE(one.tetras == two.tetras && one.tetras == three.tetras);
    EXPECT_TRUE(one.floats == two.floats && one.floats == three.floats);

    // The drawing arrays hold each triangle's corners, and its face normal
    // where a stride of one float takes its last corner.
    body.surface.ComputeFaceNormals();
    const SurfaceMesh& mesh = body.surface;
    ASSERT_EQ(mesh.cornerPositions.size(), 3u * mesh.triangleCount);
    ASSERT_EQ(mesh.flatNormals.size(), 3u * mesh.triangleCount + 2);
    for (int t = 0; t < mesh.triangleCount; ++t) {
        for (int c = 0; c < 3; ++c) {
            const int v = mesh.vertexIndices[t * SurfaceMesh::kSlotsPerTriangle + c];
            ASSERT_EQ(mesh.cornerPositions[3 * t + c], mesh.vertices[v]) << t;
        }
        const float* lastCorner = &mesh.flatNormals[3 * t + 2];
        ASSERT_EQ(SbVec3f(lastCorner[0], lastCorner[1], lastCorner[2]), mesh.faceNormals[t]) << t;
    }
}

}  // namespace
}  // namespace wobble
