#pragma once
// The generalised winding number of a triangle surface: the solid angle it
// covers seen from a point, over 4 pi. It is 1 inside a closed surface whose
// triangles run counter-clockwise seen from outside (-1 if they all run the
// other way), 0 outside, and degrades gracefully where the surface has holes
// or seams, which is why the cage trusts it for models that are not watertight.
//
// A tree of triangle groups makes it fast: a group far from the point (farther
// than kFarFactor times its radius) counts as one small patch with the
// group's summed vector area at its centre; near groups are opened down to
// their triangles, whose solid angles are taken exactly.

#include <Inventor/SbVec3d.h>

#include <array>
#include <vector>

namespace wobble::builder {

class WindingNumberTree {
public:
    static constexpr double kFarFactor = 3.0;
    static constexpr int kLeafSize = 8;

    void Build(const std::vector<SbVec3d>& vertices,
               const std::vector<std::array<int, 3>>& triangles);

    double WindingNumber(const SbVec3d& point) const;

    // The exact sum over every triangle, for checking the tree.
    double ExactWindingNumber(const SbVec3d& point) const;

private:
    struct Node {
        SbVec3d centre{0, 0, 0};  // area-weighted centre of the group's triangles
        SbVec3d area{0, 0, 0};    // summed vector area (half the cross products)
        double radius = 0.0;      // farthest triangle corner from the centre
        int first = 0;            // range of `order_`
        int count = 0;
        int left = -1;  // children; -1 for a leaf
        int right = -1;
    };

    int BuildNode(int first, int count);
    double TriangleSolidAngle(int triangle, const SbVec3d& point) const;

    std::vector<std::array<SbVec3d, 3>> corners_;
    std::vector<SbVec3d> centroids_;
    std::vector<SbVec3d> vectorAreas_;  // half the cross product of each triangle's edges
    std::vector<double> areas_;         // their lengths
    std::vector<int> order_;
    std::vector<Node> nodes_;
};

}  // namespace wobble::builder
