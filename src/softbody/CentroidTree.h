#pragma once
// Nearest tetra centroid for the surface binding, in logarithmic time but with
// exactly the answer of the plain search over all tetras:
//
//   best = -1, bestDistance = limit
//   for t in 0 .. n-1:  d = length(p - c[t])   (float, as SbVec3f::length)
//                       if d < bestDistance: best = t, bestDistance = d
//
// i.e. the smallest float distance, the lowest index among equal ones, and
// none at all when no distance is below the limit (a point or centroid that
// is not finite, say).
//
// A k-d tree over the centroids finds the candidates; every candidate's
// distance is then computed exactly as the plain search computes it. A
// subtree is skipped only when its squared distance bound is above the best
// distance's square widened by far more than float rounding can move either,
// so rounding can never hide the true winner.
//
// Layout, for speed: an inner node holds both children's boxes, so that
// choosing between them reads one node; a leaf's centroids lie in a block of
// kLeafSize coordinates per axis (padded with NaN, which is never near), so
// that a leaf is weighed in one fixed-length sweep. A search with a hint
// starts from the hint's leaf and the siblings of the subtrees on its way up
// to the root, nearest first, so that a good hint is followed by little
// more than its own leaf and a poor one costs little more than none.

#include <Inventor/SbVec3f.h>

#include <vector>

namespace wobble {

class CentroidTree {
public:
    // Builds the tree over `centroids`; their indices are the positions in
    // the vector. Centroids that are not finite can never be nearest and are
    // left out.
    void Build(const std::vector<SbVec3f>& centroids);

    // The plain search's answer for point p (see above). `hint`, when not -1,
    // names a centroid that is probably near p (the previous vertex's, say):
    // the search starts from it, which makes the search radius small from
    // the start. The answer is the same with any hint, only found sooner.
    int Nearest(const SbVec3f& p, float limit, int hint = -1) const;

private:
    static constexpr int kLeafSize = 16;
    // Median splits halve the centroids, so no way from the root to a leaf
    // is longer than 32 levels for any count an int holds.
    static constexpr int kMaxDepth = 64;

    // An axis-aligned box: its lower and upper corners, each x, y, z and a
    // fourth lane of 0, so that a corner is read as one vector.
    struct alignas(16) Box {
        float lower[4];
        float upper[4];
    };
    // A child is an inner node (its index, >= 0) or a leaf (~its block, < 0).
    struct Node {
        Box box[2];
        int child[2];
    };

    // The best centroid so far, and the squared sum a centroid's distance
    // must not exceed to be weighed against it.
    struct Candidate {
        int index;
        float distance;
        float reachSquared;
    };

    // Builds the subtree over order_[begin, end) below `parent` (-1 for the
    // root), sets its box and returns its child code.
    int BuildSubtree(int begin, int end, int parent, Box& box);
    // Lays out every leaf's path (pathBegin_ and the others).
    void BuildPaths();
    // p4: the query point as x, y, z, 0, aligned like a Box corner.
    void ScanLeaf(int block, const float* p4, Candidate& best) const;
    // Searches the subtree `child`, whose box is `gapSquared` away from p.
    void SearchSubtree(int child, float gapSquared, const float* p4, Candidate& best) const;

    std::vector<SbVec3f> centroids_;
    std::vector<int> order_;  // centroid indices, grouped by leaf
    std::vector<Node> nodes_;
    std::vector<int> nodeParent_;  // per inner node: its parent, -1 for the root
    // Leaf blocks: kLeafSize entries each, coordinate by coordinate, and the
    // centroid index of each entry (-1 for padding).
    std::vector<float> blockX_, blockY_, blockZ_;
    std::vector<int> blockCentroid_;
    std::vector<int> blockOf_;      // per centroid: its leaf block, -1 when left out
    std::vector<int> blockParent_;  // per leaf block: its node, -1 when the root is a leaf
    std::vector<Box> blockBox_;     // per leaf block: the box of its centroids
    // Per leaf block, its path: the block itself, then the sibling of every
    // subtree met on the way up from it to the root, lowest first; together
    // they cover the whole tree. From pathBegin_[block], pathLength_[block]
    // entries of boxes and child codes.
    std::vector<int> pathBegin_, pathLength_;
    std::vector<Box> pathBox_;
    std::vector<int> pathChild_;
    Box rootBox_{};
    int root_ = 0;       // child code of the root
    bool empty_ = true;  // no finite centroid
};

}  // namespace wobble
