#pragma once
// The body's time step written as the plainest structure-of-arrays float
// loops: no records, no vector class. It performs the same float operations
// in the same order as SoftBody::Step (so its results are bit-identical) and
// shows how fast a step can go on this machine.

#include <vector>

#include "softbody/SoftBody.h"

namespace wobble::bench {

class StepYardstick {
public:
    explicit StepYardstick(const SoftBody& body);
    void Step(float dt);
    // True when every position equals the body's, bit for bit.
    bool SamePositions(const SoftBody& body) const;

private:
    int n_ = 0;
    std::vector<float> px_, py_, pz_, vx_, vy_, vz_, ax_, ay_, az_, bx_, by_, bz_, cx_, cy_, cz_,
        fx_, fy_, fz_, mass_;
    std::vector<int> springA_, springB_;
    std::vector<float> stiffness_, rest_;
    int control_[8];
    float forwardThrust_, backwardThrust_, leftThrust_, rightThrust_;
};

}  // namespace wobble::bench
