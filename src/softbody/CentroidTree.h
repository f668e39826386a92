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
    // the answer is the same, only found sooner.
    int Nearest(const SbVec3f& p, float limit, int hint = -1) const;

private:
    static constexpr int kLeafSize = 16;

    struct Node {
        float lower[3];
        float upper[3];
        int begin = 0;  // leaf: range into order_; inner: unused
        int end = 0;
        int left = -1;  // children; -1 for a leaf
        int right = -1;
    };

    // The best centroid so far, and the squared sum a centroid's distance
    // must not exceed to be weighed against it (see ReachSquared).
    struct Candidate {
        int index;
        float distance;
        float reachSquared;
    };

    int BuildNode(int begin, int end);
    void ScanLeaf(const Node& leaf, const SbVec3f& p, Candidate& best) const;

    std::vector<SbVec3f> centroids_;
    std::vector<int> order_;  // centroid indices, grouped by leaf
    // centroids_[order_[i]] coordinate by coordinate, in the same order.
    std::vector<float> leafX_, leafY_, leafZ_;
    std::vector<Node> nodes_;
    std::vector<int> leafOf_;  // per centroid: its leaf node, -1 when left out
    int root_ = -1;
};

}  // namespace wobble
