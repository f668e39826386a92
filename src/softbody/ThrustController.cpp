#include "softbody/ThrustController.h"

#include "math/VecMath.h"

namespace wobble {

void ThrustController::SetControlParticles(Particle* const particles[8]) {
    for (int k = 0; k < 8; ++k)
        controlParticles[k] = particles[k];
}

bool ThrustController::HasControlParticles() const {
    for (const Particle* p : controlParticles) {
        if (p == nullptr)
            return false;
    }
    return true;
}

namespace {

// A ramp zeroes the other thrust of its pair, then grows its own by one step
// unless it has reached the cap (a step that does not divide the cap lets
// the last growth pass it).
void Ramp(float& grown, float& zeroed, float step, float cap) {
    zeroed = 0.0f;
    if (grown < cap)
        grown += step;
}

// A decay lowers a thrust by one step, never below 0.
void Decay(float& thrust, float step) {
    thrust -= step;
    if (thrust < 0.0f)
        thrust = 0.0f;
}

}  // namespace

void ThrustController::RampForward() {
    Ramp(forwardThrust, backwardThrust, thrustStep, maxThrust);
}

void ThrustController::RampBackward() {
    Ramp(backwardThrust, forwardThrust, thrustStep, maxThrust);
}

void ThrustController::RampLeft() {
    Ramp(leftThrust, rightThrust, thrustStep, maxThrust);
}

void ThrustController::RampRight() {
    Ramp(rightThrust, leftThrust, thrustStep, maxThrust);
}

void ThrustController::DecayForwardBackward() {
    Decay(forwardThrust, thrustStep);
    Decay(backwardThrust, thrustStep);
}

void ThrustController::DecayLeftRight() {
    Decay(rightThrust, thrustStep);
    Decay(leftThrust, thrustStep);
}

void ThrustController::Steer(bool forwardHeld, bool backwardHeld, bool leftHeld, bool rightHeld) {
    if (forwardHeld)
        RampForward();
    if (backwardHeld)
        RampBackward();
    if (leftHeld)
        RampLeft();
    if (rightHeld)
        RampRight();
    if (!forwardHeld && !backwardHeld)
        DecayForwardBackward();
    if (!leftHeld && !rightHeld)
        DecayLeftRight();
}

void ThrustController::UpdateFrame() {
    frontMean.setValue(0.0f, 0.0f, 0.0f);
    rearMean.setValue(0.0f, 0.0f, 0.0f);
    for (int k = 0; k < 4; ++k) {
        frontMean += controlParticles[k]->position;
        rearMean += controlParticles[k + 4]->position;
    }
    frontMean /= 4.0f;
    rearMean /= 4.0f;
    centre = (frontMean + rearMean) / 2.0f;
    // Only the horizontal direction counts: the body steers in the water's plane.
    forward = frontMean - rearMean;
    forward[1] = 0.0f;
    VecNormalize(forward);
    up.setValue(0.0f, 1.0f, 0.0f);
    side = VecCross(forward, up);
}

void ThrustController::ApplyThrust() {
    // A body without its eight control particles is never simulated by the
    // program; a bare body (in a test, say) is simply not steered.
    if (!HasControlParticles())
        return;
    UpdateFrame();
    const SbVec3f f = forward * forwardThrust;
    const SbVec3f b = forward * (-backwardThrust);
    const SbVec3f r = side * rightThrust;
    const SbVec3f l = side * (-leftThrust);
    for (int k = 0; k < 4; ++k) {
        Push(k, f);
        Push(k + 4, b);
    }
    // Right thrust turns the nose right, left thrust left; each pair of
    // front and rear pushes is a couple, so the body is not pushed sideways.
    Push(0, r);
    Push(5, -r);
    Push(1, l);
    Push(4, -l);
    Push(2, r);
    Push(7, -r);
    Push(3, l);
    Push(6, -l);
}

void ThrustController::Push(int slot, const SbVec3f& force) {
    const std::vector<Particle*>& group = spreadGroups[slot];
    if (group.empty()) {
        controlParticles[slot]->force += force;
        return;
    }
    const SbVec3f share = force / static_cast<float>(group.size());
    for (Particle* p : group)
        p->force += share;
}

}  // namespace wobble
