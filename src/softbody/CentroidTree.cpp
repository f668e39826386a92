#include "softbody/CentroidTree.h"

#include <algorithm>
#include <cmath>

#include "math/VecMath.h"

namespace wobble {

namespace {

// A float distance computed as |p - c| = sqrt(dx*dx + dy*dy + dz*dz) carries
// at most about 4 float roundings of relative error (2.4e-7) beyond the exact
// distance, and a squared gap formed in float as many again; below 1e-30 the
// squares lose their precision to underflow. Bounds are widened by far more
// than that, so that rounding can never prune the true winner.
constexpr float kRelativeMargin = 1e-4f;
constexpr float kAbsoluteMargin = 1e-30f;

// The float squared distance below which a centroid may still be as near as
// `best`: anything not above it is taken to the square root and compared.
float ReachSquared(float best) {
    return best * best * (1.0f + kRelativeMargin) + kAbsoluteMargin;
}

float Gap(float p, float lower, float upper) {
    if (p < lower)
        return lower - p;
    if (p > upper)
        return p - upper;
    return 0.0f;
}

}  // namespace

void CentroidTree::Build(const std::vector<SbVec3f>& centroids) {
    centroids_ = centroids;
    order_.clear();
    leafX_.clear();
    leafY_.clear();
    leafZ_.clear();
    nodes_.clear();
    leafOf_.assign(centroids_.size(), -1);
    root_ = -1;
    for (int i = 0; i < static_cast<int>(centroids_.size()); ++i) {
        if (VecIsFinite(centroids_[i]))
            order_.push_back(i);
    }
    if (order_.empty())
        return;
    nodes_.reserve(2 * (order_.size() / kLeafSize + 1));
    root_ = BuildNode(0, static_cast<int>(order_.size()));
    // The leaves' centroids side by side, so that a leaf is read in one sweep.
    for (int t : order_) {
        leafX_.push_back(centroids_[t][0]);
        leafY_.push_back(centroids_[t][1]);
        leafZ_.push_back(centroids_[t][2]);
    }
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
        for (int i = begin; i < end; ++i)
            leafOf_[order_[i]] = index;
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

void CentroidTree::ScanLeaf(const Node& leaf, const SbVec3f& p, Candidate& best) const {
    // The squared sums first, exactly as VecLength forms them before its
    // square root; only a sum that can still give a distance not above the
    // best one is taken to the square root and compared.
    float sums[kLeafSize];
    const int count = leaf.end - leaf.begin;
    const float* x = &leafX_[leaf.begin];
    const float* y = &leafY_[leaf.begin];
    const float* z = &leafZ_[leaf.begin];
    for (int i = 0; i < count; ++i) {
        const float dx = p[0] - x[i];
        const float dy = p[1] - y[i];
        const float dz = p[2] - z[i];
        sums[i] = dx * dx + dy * dy + dz * dz;
    }
    for (int i = 0; i < count; ++i) {
        if (!(sums[i] <= best.reachSquared))
            continue;
        const float d = std::sqrt(sums[i]);
        if (d > best.distance)
            continue;
        const int t = order_[leaf.begin + i];
        if (d < best.distance || (best.index >= 0 && t < best.index)) {
            best.index = t;
            best.distance = d;
            best.reachSquared = ReachSquared(d);
        }
    }
}

int CentroidTree::Nearest(const SbVec3f& p, float limit, int hint) const {
    if (root_ < 0 || !VecIsFinite(p))
        return -1;
    const float px = p[0], py = p[1], pz = p[2];
    // Squared distance from p to a node's box, in float.
    auto gapSquared = [&](const Node& n) {
        const float gx = Gap(px, n.lower[0], n.upper[0]);
        const float gy = Gap(py, n.lower[1], n.upper[1]);
        const float gz = Gap(pz, n.lower[2], n.upper[2]);
        return gx * gx + gy * gy + gz * gz;
    };

    Candidate best{-1, limit, ReachSquared(limit)};
    // The hinted centroid's whole leaf is weighed first: near the answer it
    // makes the search radius small from the start. Every centroid is a
    // candidate like any other, so the answer does not depend on the hint.
    int hintLeaf = -1;
    if (hint >= 0 && hint < static_cast<int>(leafOf_.size()) && leafOf_[hint] >= 0) {
        hintLeaf = leafOf_[hint];
        ScanLeaf(nodes_[hintLeaf], p, best);
    }

    struct Pending {
        int node;
        float gapSquared;
    };
    // Depth is at most log2 of the centroid count plus one; each level leaves
    // one pending sibling.
    Pending stack[128];
    int top = 0;
    stack[top++] = {root_, gapSquared(nodes_[root_])};
    while (top > 0) {
        const Pending item = stack[--top];
        // A box is searched unless even the distance to it, less the
        // margins, is above the best distance.
        if (item.gapSquared > best.reachSquared)
            continue;
        const Node& node = nodes_[item.node];
        if (node.left < 0) {
            if (item.node != hintLeaf)
                ScanLeaf(node, p, best);
            continue;
        }
        const float leftGap = gapSquared(nodes_[node.left]);
        const float rightGap = gapSquared(nodes_[node.right]);
        // The nearer child goes on top so that it is searched first.
        if (leftGap <= rightGap) {
            stack[top++] = {node.right, rightGap};
            stack[top++] = {node.left, leftGap};
        } else {
            stack[top++] = {node.left, leftGap};
            stack[top++] = {node.right, rightGap};
        }
    }
    return best.index;
}

}  // namespace wobble
