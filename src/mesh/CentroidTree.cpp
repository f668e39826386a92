#include "mesh/CentroidTree.h"

#include <algorithm>
#include <cmath>

#include "common/VecMath.h"

namespace wobble {

namespace {

// A float distance computed as |p - c| = sqrt(dx*dx + dy*dy + dz*dz) carries
// at most about 4 float roundings of relative error (2.4e-7) beyond the exact
// distance, and below 1e-22 of absolute error where the squares underflow.
// Shrinking every exact bound by these margins keeps it below any distance
// the plain search could compute inside the box.
constexpr double kRelativeMargin = 1e-6;
constexpr double kAbsoluteMargin = 1e-20;

double Gap(double p, float lower, float upper) {
    if (p < lower)
        return lower - p;
    if (p > upper)
        return p - upper;
    return 0.0;
}

}  // namespace

void CentroidTree::Build(const std::vector<SbVec3f>& centroids) {
    centroids_ = centroids;
    order_.clear();
    nodes_.clear();
    root_ = -1;
    for (int i = 0; i < static_cast<int>(centroids_.size()); ++i) {
        if (VecIsFinite(centroids_[i]))
            order_.push_back(i);
    }
    if (order_.empty())
        return;
    nodes_.reserve(2 * (order_.size() / kLeafSize + 1));
    root_ = BuildNode(0, static_cast<int>(order_.size()));
}

int CentroidTree::BuildNode(int begin, int end) {
    Node node;
    for (int a = 0; a < 3; ++a) {
        node.lower[a] = node.upper[a] = centroids_[order_[begin]][a];
    }
    for (int i = begin + 1; i < end; ++i) {
        const SbVec3f& c = centroids_[order_[i]];
        for (int a = 0; a < 3; ++a) {
            node.lower[a] = std::min(node.lower[a], c[a]);
            node.upper[a] = std::max(node.upper[a], c[a]);
        }
    }
    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back(node);
    if (end - begin <= kLeafSize) {
        nodes_[index].begin = begin;
        nodes_[index].end = end;
        return index;
    }
    int axis = 0;
    double widest = -1.0;
    for (int a = 0; a < 3; ++a) {
        const double extent = static_cast<double>(node.upper[a]) - node.lower[a];
        if (extent > widest) {
            widest = extent;
            axis = a;
        }
    }
    const int middle = begin + (end - begin) / 2;
    std::nth_element(order_.begin() + begin, order_.begin() + middle, order_.begin() + end,
                     [&](int a, int b) {
                         const float ca = centroids_[a][axis], cb = centroids_[b][axis];
                         return ca < cb || (ca == cb && a < b);
                     });
    const int left = BuildNode(begin, middle);
    const int right = BuildNode(middle, end);
    nodes_[index].left = left;
    nodes_[index].right = right;
    return index;
}

int CentroidTree::Nearest(const SbVec3f& p, float limit) const {
    if (root_ < 0 || !VecIsFinite(p))
        return -1;
    const double px = p[0], py = p[1], pz = p[2];
    auto bound = [&](const Node& n) {
        const double gx = Gap(px, n.lower[0], n.upper[0]);
        const double gy = Gap(py, n.lower[1], n.upper[1]);
        const double gz = Gap(pz, n.lower[2], n.upper[2]);
        return std::sqrt(gx * gx + gy * gy + gz * gz) * (1.0 - kRelativeMargin) - kAbsoluteMargin;
    };

    int best = -1;
    float bestDistance = limit;
    struct Pending {
        int node;
        double bound;
    };
    // Depth is at most log2 of the centroid count plus one; each level leaves
    // one pending sibling.
    Pending stack[128];
    int top = 0;
    stack[top++] = {root_, bound(nodes_[root_])};
    while (top > 0) {
        const Pending item = stack[--top];
        if (item.bound > bestDistance)
            continue;
        const Node& node = nodes_[item.node];
        if (node.left < 0) {
            for (int i = node.begin; i < node.end; ++i) {
                const int t = order_[i];
                const float d = VecLength(p - centroids_[t]);
                if (d < bestDistance || (d == bestDistance && best >= 0 && t < best)) {
                    best = t;
                    bestDistance = d;
                }
            }
            continue;
        }
        const double leftBound = bound(nodes_[node.left]);
        const double rightBound = bound(nodes_[node.right]);
        // The nearer child goes on top so that it is searched first.
        if (leftBound <= rightBound) {
            stack[top++] = {node.right, rightBound};
            stack[top++] = {node.left, leftBound};
        } else {
            stack[top++] = {node.left, leftBound};
            stack[top++] = {node.right, rightBound};
        }
    }
    return best;
}

}  // namespace wobble
