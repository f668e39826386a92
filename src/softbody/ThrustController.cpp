#include "softbody/ThrustController.h"

#include "common/VecMath.h"
#include "water/WaterSurface.h"

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

void ThrustController::RampForward() {
    backwardThrust = 0.0f;
    if (forwardThrust < maxThrust)
        forwardThrust += thrustStep;
}

void ThrustController::RampBackward() {
    forwardThrust = 0.0f;
    if (backwardThrust < maxThrust)
        backwardThrust += thrustStep;
}

void ThrustController::RampLeft() {
    rightThrust = 0.0f;
    if (leftThrust < maxThrust)
        leftThrust += thrustStep;
}

void ThrustController::RampRight() {
    leftThrust = 0.0f;
    if (rightThrust < maxThrust)
        rightThrust += thrustStep;
}

void ThrustController::DecayForwardBackward() {
    forwardThrust -= thrustStep;
    if (forwardThrust < 0.0f)
        forwardThrust = 0.0f;
    backwardThrust -= thrustStep;
    if (backwardThrust < 0.0f)
        backwardThrust = 0.0f;
}

void ThrustController::DecayLeftRight() {
    rightThrust -= thrustStep;
    if (rightThrust < 0.0f)
        rightThrust = 0.0f;
    leftThrust -= thrustStep;
    if (leftThrust < 0.0f)
        leftThrust = 0.0f;
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
    if (water != nullptr)
        water->Displace(centre);
}

}  // namespace wobble
