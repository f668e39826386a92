#include "softbody/CentroidTree.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Squared distance from p (x, y, z, 0) to a box (lower and upper corners as
// x, y, z, 0), in float: a lower bound, up to the margins, of any distance
// from p to a point in the box.
template <typename Box>
inline float GapSquared(const Box& box, const float* p4) {
#if defined(__SSE2__)
    const __m128 p = _mm_load_ps(p4);
    const __m128 below = _mm_sub_ps(_mm_load_ps(box.lower), p);
    const __m128 above = _mm_sub_ps(p, _mm_load_ps(box.upper));
    const __m128 gap = _mm_max_ps(_mm_max_ps(below, above), _mm_setzero_ps());
    const __m128 squares = _mm_mul_ps(gap, gap);
    const __m128 xy = _mm_add_ss(squares, _mm_shuffle_ps(squares, squares, _MM_SHUFFLE(1, 1, 1, 1)));
    return _mm_cvtss_f32(_mm_add_ss(xy, _mm_movehl_ps(squares, squares)));
#else
    float sum = 0.0f;
    for (int a = 0; a < 3; ++a) {
        const float g = std::max(std::max(box.lower[a] - p4[a], p4[a] - box.upper[a]), 0.0f);
        sum += g * g;
    }
    return sum;
#endif
}

}  // namespace

void CentroidTree::Build(const std::vector<SbVec3f>& centroids) {
    centroids_ = centroids;
    order_.clear();
    nodes_.clear();
    nodeParent_.clear();
    blockX_.clear();
    blockY_.clear();
    blockZ_.clear();
    blockCentroid_.clear();
    blockParent_.clear();
    blockBox_.clear();
    blockOf_.assign(centroids_.size(), -1);
    empty_ = true;
    for (int i = 0; i < static_cast<int>(centroids_.size()); ++i) {
        if (VecIsFinite(centroids_[i]))
            order_.push_back(i);
    }
    if (!order_.empty()) {
        nodes_.reserve(order_.size() / kLeafSize + 1);
        root_ = BuildSubtree(0, static_cast<int>(order_.size()), -1, rootBox_);
        empty_ = false;
    }
    BuildPaths();
}

int CentroidTree::BuildSubtree(int begin, int end, int parent, Box& box) {
    box = Box{};
    for (int a = 0; a < 3; ++a)
        box.lower[a] = box.upper[a] = centroids_[order_[begin]][a];
    for (int i = begin + 1; i < end; ++i) {
        const SbVec3f& c = centroids_[order_[i]];
        for (int a = 0; a < 3; ++a) {
            box.lower[a] = std::min(box.lower[a], c[a]);
            box.upper[a] = std::max(box.upper[a], c[a]);
        }
    }
    if (end - begin <= kLeafSize) {
        const int block = static_cast<int>(blockParent_.size());
        const float nan = std::numeric_limits<float>::quiet_NaN();
        for (int i = 0; i < kLeafSize; ++i) {
            const int t = begin + i < end ? order_[begin + i] : -1;
            blockX_.push_back(t >= 0 ? centroids_[t][0] : nan);
            blockY_.push_back(t >= 0 ? centroids_[t][1] : nan);
            blockZ_.push_back(t >= 0 ? centroids_[t][2] : nan);
            blockCentroid_.push_back(t);
            if (t >= 0)
                blockOf_[t] = block;
        }
        blockParent_.push_back(parent);
        blockBox_.push_back(box);
        return ~block;
    }
    int axis = 0;
    double widest = -1.0;
    for (int a = 0; a < 3; ++a) {
        const double extent = static_cast<double>(box.upper[a]) - box.lower[a];
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
    const int index = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
    nodeParent_.push_back(parent);
    Box left, right;
    const int leftChild = BuildSubtree(begin, middle, index, left);
    const int rightChild = BuildSubtree(middle, end, index, right);
    Node& node = nodes_[index];
    node.box[0] = left;
    node.box[1] = right;
    node.child[0] = leftChild;
    node.child[1] = rightChild;
    return index;
}

void CentroidTree::BuildPaths() {
    const int blocks = static_cast<int>(blockParent_.size());
    pathBegin_.assign(blocks, 0);
    pathLength_.assign(blocks, 0);
    pathBox_.clear();
    pathChild_.clear();
    for (int block = 0; block < blocks; ++block) {
        pathBegin_[block] = static_cast<int>(pathChild_.size());
        pathBox_.push_back(blockBox_[block]);
        pathChild_.push_back(~block);
        int from = ~block;
        for (int parent = blockParent_[block]; parent >= 0; parent = nodeParent_[parent]) {
            const Node& node = nodes_[parent];
            const int side = node.child[0] == from ? 1 : 0;
            pathBox_.push_back(node.box[side]);
            pathChild_.push_back(node.child[side]);
            from = parent;
        }
        pathLength_[block] = static_cast<int>(pathChild_.size()) - pathBegin_[block];
    }
}

void CentroidTree::ScanLeaf(int block, const float* p4, Candidate& best) const {
    // The squared sums first, exactly as VecLength forms them before its
    // square root, for the whole block at once; only a sum that can still
    // give a distance not above the best one is taken to the square root and
    // compared (padding's NaN never is).
    const size_t first = static_cast<size_t>(block) * kLeafSize;
    const float* x = &blockX_[first];
    const float* y = &blockY_[first];
    const float* z = &blockZ_[first];
    const float px = p4[0], py = p4[1], pz = p4[2];
    float sums[kLeafSize];
    for (int i = 0; i < kLeafSize; ++i) {
        const float dx = px - x[i];
        const float dy = py - y[i];
        const float dz = pz - z[i];
        sums[i] = dx * dx + dy * dy + dz * dz;
    }
    unsigned near = 0;
#if defined(__SSE2__)
    const __m128 reach = _mm_set1_ps(best.reachSquared);
    for (int i = 0; i < kLeafSize; i += 4) {
        near |= static_cast<unsigned>(_mm_movemask_ps(_mm_cmple_ps(_mm_loadu_ps(sums + i), reach)))
                << i;
    }
#else
    for (int i = 0; i < kLeafSize; ++i)
        near |= static_cast<unsigned>(sums[i] <= best.reachSquared) << i;
#endif
    // The reach only shrinks while the block is weighed, so the entries
    // picked here include every one that can still win.
    while (near != 0) {
        const int i = __builtin_ctz(near);
        near &= near - 1;
        const float d = std::sqrt(sums[i]);
        if (d > best.distance)
            continue;
        const int t = blockCentroid_[first + i];
        if (d < best.distance || (best.index >= 0 && t < best.index)) {
            best.index = t;
            best.distance = d;
            best.reachSquared = ReachSquared(d);
        }
    }
}

void CentroidTree::SearchSubtree(int child, float gapSquared, const float* p4,
                                 Candidate& best) const {
    struct Pending {
        int child;
        float gapSquared;
    };
    // Each level leaves at most one pending sibling.
    Pending stack[kMaxDepth + 2];
    int top = 0;
    stack[top++] = {child, gapSquared};
    while (top > 0) {
        const Pending item = stack[--top];
        // A box is searched unless even the distance to it, less the
        // margins, is above the best distance.
        if (item.gapSquared > best.reachSquared)
            continue;
        if (item.child < 0) {
            ScanLeaf(~item.child, p4, best);
            continue;
        }
        const Node& node = nodes_[item.child];
        const float leftGap = GapSquared(node.box[0], p4);
        const float rightGap = GapSquared(node.box[1], p4);
        // The nearer child goes on top so that it is searched first.
        if (leftGap <= rightGap) {
            stack[top++] = {node.child[1], rightGap};
            stack[top++] = {node.child[0], leftGap};
        } else {
            stack[top++] = {node.child[0], leftGap};
            stack[top++] = {node.child[1], rightGap};
        }
    }
}

int CentroidTree::Nearest(const SbVec3f& p, float limit, int hint) const {
    if (empty_ || !VecIsFinite(p))
        return -1;
    alignas(16) const float p4[4] = {p[0], p[1], p[2], 0.0f};
    Candidate best{-1, limit, ReachSquared(limit)};
    if (hint < 0 || hint >= static_cast<int>(blockOf_.size()) || blockOf_[hint] < 0) {
        SearchSubtree(root_, GapSquared(rootBox_, p4), p4, best);
        return best.index;
    }
    // Every centroid is a candidate like any other, so the answer does not
    // depend on where the search starts. The hinted centroid itself comes
    // first, so that the search radius is no larger than its distance.
    const float hintDistance = VecLength(p - centroids_[hint]);
    if (hintDistance < best.distance)
        best = {hint, hintDistance, ReachSquared(hintDistance)};
    // Then the hint's path, which covers the whole tree: the entries near
    // enough to matter, nearest first. With a good hint that is the hint's
    // leaf and then the way up; with a poor one, the subtree around p comes
    // first and shrinks the reach before the rest is weighed.
    struct Entry {
        float gapSquared;
        int child;
    };
    Entry near[kMaxDepth + 1];
    int count = 0;
    const int block = blockOf_[hint];
    const int end = pathBegin_[block] + pathLength_[block];
    for (int e = pathBegin_[block]; e < end; ++e) {
        const float gap = GapSquared(pathBox_[e], p4);
        if (gap > best.reachSquared)
            continue;
        int k = count++;
        for (; k > 0 && near[k - 1].gapSquared > gap; --k)
            near[k] = near[k - 1];
        near[k] = {gap, pathChild_[e]};
    }
    for (int k = 0; k < count && near[k].gapSquared <= best.reachSquared; ++k) {
        if (near[k].child < 0) {
            ScanLeaf(~near[k].child, p4, best);
        } else {
            SearchSubtree(near[k].child, near[k].gapSquared, p4, best);
        }
    }
    return best.index;
}

}  // namespace wobble
