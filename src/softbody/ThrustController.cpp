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
        controlParticles[k]->force += f;
        controlParticles[k + 4]->force += b;
    }
    // Right thrust turns the nose right, left thrust left; each pair of
    // front and rear pushes is a couple, so the body is not pushed sideways.
    controlParticles[0]->force += r;
    controlParticles[5]->force += -r;
    controlParticles[1]->force += l;
    controlParticles[4]->force += -l;
    controlParticles[2]->force += r;
    controlParticles[7]->force += -r;
    controlParticles[3]->force += l;
    controlParticles[6]->force += -l;
}

}  // namespace wobble
