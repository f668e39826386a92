#include "softbody/CentroidTree.h"

#include <algorithm>
#include <cmath>

#include "math/VecMath.h"

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
    leafX_.clear();
    leafY_.clear();
    leafZ_.clear();
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

int CentroidTree::Nearest(const SbVec3f& p, float limit, int hint) const {
    if (root_ < 0 || !VecIsFinite(p))
        return -1;
    const double px = p[0], py = p[1], pz = p[2];
    // Squared distance from p to a node's box, in double.
    auto gapSquared = [&](const Node& n) {
        const double gx = Gap(px, n.lower[0], n.upper[0]);
        const double gy = Gap(py, n.lower[1], n.upper[1]);
        const double gz = Gap(pz, n.lower[2], n.upper[2]);
        return gx * gx + gy * gy + gz * gz;
    };

    int best = -1;
    float bestDistance = limit;
    // A hinted centroid is a candidate like any other, weighed first: near
    // the answer it makes the search radius small from the start.
    if (hint >= 0 && hint < static_cast<int>(centroids_.size())) {
        const float d = VecLength(p - centroids_[hint]);
        if (d < bestDistance) {
            best = hint;
            bestDistance = d;
        }
    }
    // A box is searched unless even its exact distance, shrunk by the
    // margins, exceeds the best distance: that is, unless its squared gap
    // exceeds ((best + absolute margin) / (1 - relative margin))^2.
    double reachSquared = 0.0;
    auto updateReach = [&] {
        const double reach =
            (static_cast<double>(bestDistance) + kAbsoluteMargin) / (1.0 - kRelativeMargin);
        reachSquared = reach * reach;
    };
    updateReach();

    struct Pending {
        int node;
        double gapSquared;
    };
    // Depth is at most log2 of the centroid count plus one; each level leaves
    // one pending sibling.
    Pending stack[128];
    int top = 0;
    stack[top++] = {root_, gapSquared(nodes_[root_])};
    while (top > 0) {
        const Pending item = stack[--top];
        if (item.gapSquared > reachSquared)
            continue;
        const Node& node = nodes_[item.node];
        if (node.left < 0) {
            // The squared sums first, exactly as VecLength forms them before
            // its square root; only a sum that can still give a distance not
            // above the best one is taken to the square root and compared.
            const double bestBound = static_cast<double>(bestDistance) * (1.0 + 1e-6);
            const double sumBound = bestBound * bestBound;
            for (int i = node.begin; i < node.end; ++i) {
                const float dx = p[0] - leafX_[i];
                const float dy = p[1] - leafY_[i];
                const float dz = p[2] - leafZ_[i];
                const float sum = dx * dx + dy * dy + dz * dz;
                if (!(sum <= sumBound))
                    continue;
                const float d = std::sqrt(sum);
                if (d <= bestDistance) {
                    const int t = order_[i];
                    if (d < bestDistance || (best >= 0 && t < best)) {
                        best = t;
                        bestDistance = d;
                        updateReach();
                    }
                }
            }
            continue;
        }
        const double leftGap = gapSquared(nodes_[node.left]);
        const double rightGap = gapSquared(nodes_[node.right]);
        // The nearer child goes on top so that it is searched first.
        if (leftGap <= rightGap) {
            stack[top++] = {node.right, rightGap};
            stack[top++] = {node.left, leftGap};
        } else {
            stack[top++] = {node.left, leftGap};
            stack[top++] = {node.right, rightGap};
        }
    }
    return best;
}

}  // namespace wobble
