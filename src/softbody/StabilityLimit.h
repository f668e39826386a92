#pragma once
// How stiff the body may be for its explicit step: an estimate of the limit
// past which the step amplifies the body's fastest vibration instead of
// following it, and the room that leaves for the mouse's pull.
//
// The step (softbody/Dynamics.cpp) applied to one oscillator x'' = -w^2 x
// stays bounded while (w dt)^2 < 3: below that every root of its
// amplification matrix lies on or inside the unit circle, above it one
// leaves (found by following the recurrence, with and without the damping,
// whose effect on the bound is under 0.2 %). A body is as stable as its
// fastest mode, and its modes' w^2 are the eigenvalues of K / m, with K the
// springs' stiffness matrix: each spring of stiffness k along the unit
// direction d adds k d d^T to the blocks of its two ends (and -k d d^T
// between them). So the limit on stiffness / mass is
//
//     3 / (dt^2 * lambda),   lambda = largest eigenvalue of K for unit stiffness,
//
// a number that depends only on the shape of the spring network. A simpler
// bound, the largest sum of spring stiffnesses at one particle, ignores how
// neighbours move against each other and says 86 for the sample body at
// dt 0.05; the eigenvalue says 104.7, and the body's step blows up between
// 113 and 114. (The estimate leaves out
// the springs' pre-stress: every rest length starts 10 % long.)

#include "softbody/SoftBody.h"

namespace wobble {

// (w dt)^2 at which the step turns unstable.
constexpr double kStableStepSquared = 3.0;

// The largest eigenvalue of the body's stiffness matrix with every spring's
// stiffness taken as 1, at the particles' present places, by 80 Lanczos
// steps from a fixed start (the same body gives the same number; a few
// milliseconds for the sample body). 0 for a body without springs.
// Allocates scratch of a few numbers a particle and a spring.
double UnitSpringEigenvalue(const SoftBody& body);

// The estimated limit of stiffness / mass at time step dt; infinite for an
// eigenvalue of 0 (no springs) or a dt of 0.
double StiffnessPerMassLimit(double unitEigenvalue, float dt);

// The stiffness a pull on one particle (a spring to a fixed point, which adds
// its stiffness to that particle's block of K) may have before the body's
// fastest mode reaches the limit: 3 m / dt^2 - k * lambda, and 0 when the
// body is at or past its limit already.
double PullStiffnessRoom(double unitEigenvalue, float stiffness, float mass, float dt);

}  // namespace wobble
