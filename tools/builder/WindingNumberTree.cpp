#include "builder/WindingNumberTree.h"

#include <algorithm>
#include <cmath>

namespace wobble::builder {

namespace {

constexpr double kFourPi = 4.0 * 3.14159265358979323846;
// Depth of the tree is about log2(triangles / kLeafSize) even for unlucky
// splits of equal centroids, since every split halves the range.
constexpr int kMaxStack = 128;

}  // namespace

void WindingNumberTree::Build(const std::vector<SbVec3d>& vertices,
                              const std::vector<std::array<int, 3>>& triangles) {
    corners_.clear();
    centroids_.clear();
    vectorAreas_.clear();
    areas_.clear();
    nodes_.clear();
    corners_.reserve(triangles.size());
    centroids_.reserve(triangles.size());
    vectorAreas_.reserve(triangles.size());
    areas_.reserve(triangles.size());
    // Every level of the tree sums the same triangles again: their areas are taken once.
    for (const auto& tri : triangles) {
        const std::array<SbVec3d, 3> c = {vertices[tri[0]], vertices[tri[1]], vertices[tri[2]]};
        corners_.push_back(c);
        centroids_.push_back((c[0] + c[1] + c[2]) / 3.0);
        vectorAreas_.push_back(0.5 * (c[1] - c[0]).cross(c[2] - c[0]));
        areas_.push_back(vectorAreas_.back().length());
    }
    order_.resize(triangles.size());
    for (size_t i = 0; i < order_.size(); ++i)
        order_[i] = static_cast<int>(i);
    nodes_.reserve(2 * (triangles.size() / kLeafSize + 1));
    if (!triangles.empty())
        BuildNode(0, static_cast<int>(triangles.size()));
}

int WindingNumberTree::BuildNode(int first, int count) {
    const int index = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
    Node node;
    node.first = first;
    node.count = count;

    SbVec3d lo = centroids_[order_[first]];
    SbVec3d hi = lo;
    SbVec3d weighted(0, 0, 0);
    SbVec3d plain(0, 0, 0);
    double totalArea = 0.0;
    for (int k = first; k < first + count; ++k) {
        const int t = order_[k];
        node.area += vectorAreas_[t];
        weighted += areas_[t] * centroids_[t];
        plain += centroids_[t];
        totalArea += areas_[t];
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], centroids_[t][a]);
            hi[a] = std::max(hi[a], centroids_[t][a]);
        }
    }
    node.centre = totalArea > 0.0 ? weighted / totalArea : plain / static_cast<double>(count);
    for (int k = first; k < first + count; ++k) {
        for (const SbVec3d& corner : corners_[order_[k]])
            node.radius = std::max(node.radius, (corner - node.centre).length());
    }

    if (count > kLeafSize) {
        // Split at the median along the widest spread of centroids.
        const SbVec3d spread = hi - lo;
        int axis = 0;
        if (spread[1] > spread[axis])
            axis = 1;
        if (spread[2] > spread[axis])
            axis = 2;
        const int half = count / 2;
        std::nth_element(order_.begin() + first, order_.begin() + first + half,
                         order_.begin() + first + count,
                         [&](int a, int b) { return centroids_[a][axis] < centroids_[b][axis]; });
        node.left = BuildNode(first, half);
        node.right = BuildNode(first + half, count - half);
    }
    nodes_[index] = node;
    return index;
}

double WindingNumberTree::TriangleSolidAngle(int triangle, const SbVec3d& point) const {
    // Van Oosterom and Strackee: tan(omega / 2) = a.(b x c) / (|a||b||c| + (a.b)|c| + (a.c)|b| +
    // (b.c)|a|).
    const auto& c = corners_[triangle];
    const SbVec3d a = c[0] - point;
    const SbVec3d b = c[1] - point;
    const SbVec3d d = c[2] - point;
    const double la = a.length();
    const double lb = b.length();
    const double ld = d.length();
    const double numerator = a.dot(b.cross(d));
    const double denominator = la * lb * ld + a.dot(b) * ld + a.dot(d) * lb + b.dot(d) * la;
    return 2.0 * std::atan2(numerator, denominator);
}

double WindingNumberTree::WindingNumber(const SbVec3d& point) const {
    if (nodes_.empty())
        return 0.0;
    double solidAngle = 0.0;
    int stack[kMaxStack];
    int depth = 0;
    stack[depth++] = 0;
    while (depth > 0) {
        const Node& node = nodes_[stack[--depth]];
        const SbVec3d offset = node.centre - point;
        const double distance = offset.length();
        if (distance > kFarFactor * node.radius) {
            solidAngle += node.area.dot(offset) / (distance * distance * distance);
        } else if (node.left < 0 || depth + 2 > kMaxStack) {
            for (int k = node.first; k < node.first + node.count; ++k)
                solidAngle += TriangleSolidAngle(order_[k], point);
        } else {
            stack[depth++] = node.left;
            stack[depth++] = node.right;
        }
    }
    return solidAngle / kFourPi;
}

double WindingNumberTree::ExactWindingNumber(const SbVec3d& point) const {
    double solidAngle = 0.0;
    for (size_t t = 0; t < corners_.size(); ++t)
        solidAngle += TriangleSolidAngle(static_cast<int>(t), point);
    return solidAngle / kFourPi;
}

}  // namespace wobble::builder
