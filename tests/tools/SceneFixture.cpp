#include "SceneFixture.h"

#include <algorithm>
#include <array>
#include <map>
#include <numeric>

namespace wobble::test {

builder::PlacedSurface PlaceShape(const std::string& objText, double size) {
    builder::ModelFile model;
    EXPECT_TRUE(model.Parse("shape.obj", objText));
    builder::PlacedSurface placed;
    EXPECT_TRUE(placed.Place(model, size, "shape.obj"));
    return placed;
}

double TetraVolume(const builder::VoxelCage& cage, int t) {
    const auto& tet = cage.tetras[t];
    auto at = [&](int c) {
        const SbVec3f& p = cage.vertices[tet[c]];
        return SbVec3d(p[0], p[1], p[2]);
    };
    const SbVec3d p0 = at(0);
    return (at(1) - p0).dot((at(2) - p0).cross(at(3) - p0)) / 6.0;
}

namespace {

using Face = std::array<int, 3>;

Face SortedFace(int a, int b, int c) {
    Face f = {a, b, c};
    std::sort(f.begin(), f.end());
    return f;
}

constexpr int kFaceCorners[4][3] = {{1, 2, 3}, {0, 2, 3}, {0, 1, 3}, {0, 1, 2}};

}  // namespace

int ConnectedPieces(const builder::VoxelCage& cage) {
    std::vector<int> parent(cage.tetras.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](int x) {
        while (parent[x] != x)
            x = parent[x] = parent[parent[x]];
        return x;
    };
    std::map<Face, int> owner;
    for (size_t t = 0; t < cage.tetras.size(); ++t) {
        const auto& tet = cage.tetras[t];
        for (const auto& fc : kFaceCorners) {
            const Face f = SortedFace(tet[fc[0]], tet[fc[1]], tet[fc[2]]);
            const auto [it, inserted] = owner.emplace(f, static_cast<int>(t));
            if (!inserted)
                parent[find(static_cast<int>(t))] = find(it->second);
        }
    }
    int pieces = 0;
    for (size_t t = 0; t < parent.size(); ++t)
        pieces += find(static_cast<int>(t)) == static_cast<int>(t);
    return pieces;
}

void CountNonManifold(const builder::VoxelCage& cage, int& crowdedFaces, int& openBoundaryEdges) {
    std::map<Face, int> uses;
    for (const auto& tet : cage.tetras) {
        for (const auto& fc : kFaceCorners)
            ++uses[SortedFace(tet[fc[0]], tet[fc[1]], tet[fc[2]])];
    }
    crowdedFaces = 0;
    std::map<std::pair<int, int>, int> boundaryEdgeUses;
    for (const auto& [face, count] : uses) {
        if (count > 2)
            ++crowdedFaces;
        if (count == 1) {
            ++boundaryEdgeUses[{face[0], face[1]}];
            ++boundaryEdgeUses[{face[0], face[2]}];
            ++boundaryEdgeUses[{face[1], face[2]}];
        }
    }
    openBoundaryEdges = 0;
    for (const auto& [edge, count] : boundaryEdgeUses) {
        // A closed boundary meets every edge an even number of times (two, or
        // four where two cells touch along an edge only).
        if (count % 2 != 0)
            ++openBoundaryEdges;
    }
}

}  // namespace wobble::test
