#pragma once

#include <Inventor/SbVec3f.h>

#include <vector>

#include "softbody/Particle.h"

namespace wobble {

// Steers the body through eight of its particles: 0 to 3 the front group,
// 4 to 7 the rear group. Forward and backward thrust push a group along the
// body's horizontal forward direction; left and right thrust form a couple
// along the side direction that turns the body without pushing it sideways.
//
//          rear group                front group
//     4  5  6  7   ---- forward -->   0  1  2  3
//
// Once per step it derives the body frame (centre, forward, up, side) from the
// control particles and adds the thrust forces; the scene then lets the water
// give way at the centre.
class ThrustController {
public:
    void SetControlParticles(Particle* const particles[8]);

    // Each ramp zeroes the opposite thrust of its pair and grows its own by
    // thrustStep unless it has reached maxThrust.
    void RampForward();
    void RampBackward();
    void RampLeft();
    void RampRight();
    // Each decay lowers both thrusts of its pair by thrustStep, not below 0.
    void DecayForwardBackward();
    void DecayLeftRight();

    // One frame's steering by the four arrow keys, as the key bindings apply
    // it: the ramp of every key held, in the order forward, backward, left,
    // right (so holding both keys of a pair leaves the later one at one
    // step), then the decay of each pair with neither key held.
    void Steer(bool forwardHeld, bool backwardHeld, bool leftHeld, bool rightHeld);

    SbVec3f GetCentre() const { return centre; }
    SbVec3f GetForward() const { return forward; }
    SbVec3f GetSide() const { return side; }

    // Recomputes the six frame vectors from the control particles.
    void UpdateFrame();
    // UpdateFrame, then the thrust forces on the control particles. Does
    // nothing without all eight control particles.
    void ApplyThrust();

    // True once all eight slots hold particles.
    bool HasControlParticles() const;

    // Thrusts are forces on each control particle they push (force units:
    // mass x world units per time unit squared), ramped a step a frame.
    static constexpr float kMaxThrust = 30.0f;  // the program's cap
    float maxThrust = kMaxThrust;               // cap of every thrust
    float thrustStep = 1.0f;                    // growth (held) and decay (released) per frame
    float forwardThrust = 0.0f;                 // pushes control particles 0..3 along `forward`
    float backwardThrust = 0.0f;                // pushes control particles 4..7 against `forward`
    float leftThrust = 0.0f;                    // turns left
    float rightThrust = 0.0f;                   // turns right
    SbVec3f centre{0.0f, 0.0f, 0.0f};           // midpoint of frontMean and rearMean
    SbVec3f frontMean{0.0f, 0.0f, 0.0f};        // mean position of control particles 0..3
    SbVec3f rearMean{0.0f, 0.0f, 0.0f};         // mean position of control particles 4..7
    SbVec3f forward{0.0f, 0.0f, 0.0f};          // unit horizontal direction rear -> front
    SbVec3f up{0.0f, 0.0f, 0.0f};               // (0, 1, 0) once the frame is computed
    SbVec3f side{0.0f, 0.0f, 0.0f};             // forward x up: the body's right-hand side
    Particle* controlParticles[8] = {};         // particles of the body, not owned
    // Each slot's forces shared out equally over its group instead of
    // given to its particle alone: a fine body's particles are light, and a
    // whole thrust on one of them would tear its cells (a scene's thrust
    // spread, softbody/HandlingFile.h). Empty: the particle alone.
    std::vector<Particle*> spreadGroups[8];

private:
    // Adds `force` to slot `slot`: its particle, or its group in equal shares.
    void Push(int slot, const SbVec3f& force);
};

}  // namespace wobble
