#include "StepYardstick.h"

#include <cmath>
#include <cstring>

namespace wobble::bench {

StepYardstick::StepYardstick(const SoftBody& body) : n_(body.particleCount) {
    for (auto* v : {&px_, &py_, &pz_, &vx_, &vy_, &vz_, &ax_, &ay_, &az_, &bx_, &by_, &bz_, &cx_,
                    &cy_, &cz_, &fx_, &fy_, &fz_, &mass_}) {
        v->assign(n_, 0.0f);
    }
    for (int i = 0; i < n_; ++i) {
        const Particle& p = body.particles[i];
        px_[i] = p.position[0], py_[i] = p.position[1], pz_[i] = p.position[2];
        vx_[i] = p.velocity[0], vy_[i] = p.velocity[1], vz_[i] = p.velocity[2];
        ax_[i] = p.acceleration[0], ay_[i] = p.acceleration[1], az_[i] = p.acceleration[2];
        bx_[i] = p.prevAcceleration[0], by_[i] = p.prevAcceleration[1],
        bz_[i] = p.prevAcceleration[2];
        cx_[i] = p.oldAcceleration[0], cy_[i] = p.oldAcceleration[1], cz_[i] = p.oldAcceleration[2];
        mass_[i] = p.mass;
    }
    springA_ = body.springs.particleA;
    springB_ = body.springs.particleB;
    stiffness_ = body.springs.stiffness;
    rest_ = body.springs.restLength;
    for (int k = 0; k < 8; ++k) {
        control_[k] = static_cast<int>(body.controller.controlParticles[k] - body.particles.data());
    }
    forwardThrust_ = body.controller.forwardThrust;
    backwardThrust_ = body.controller.backwardThrust;
    leftThrust_ = body.controller.leftThrust;
    rightThrust_ = body.controller.rightThrust;
}

void StepYardstick::Step(float dt) {
    const float h = dt * dt;
    for (int i = 0; i < n_; ++i) {
        px_[i] = (px_[i] + vx_[i] * dt) + (ax_[i] * 0.6666667f - bx_[i] * 0.16666667f) * h;
        py_[i] = (py_[i] + vy_[i] * dt) + (ay_[i] * 0.6666667f - by_[i] * 0.16666667f) * h;
        pz_[i] = (pz_[i] + vz_[i] * dt) + (az_[i] * 0.6666667f - bz_[i] * 0.16666667f) * h;
        fx_[i] = fy_[i] = fz_[i] = 0.0f;
    }
    const int springs = static_cast<int>(springA_.size());
    for (int s = 0; s < springs; ++s) {
        const int a = springA_[s], b = springB_[s];
        float dx = px_[b] - px_[a], dy = py_[b] - py_[a], dz = pz_[b] - pz_[a];
        const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (len > 0.0f) {
            const float inv = 1.0f / len;
            dx *= inv, dy *= inv, dz *= inv;
        }
        const float f = stiffness_[s] * (len - rest_[s]);
        const float gx = dx * f, gy = dy * f, gz = dz * f;
        fx_[a] += gx, fy_[a] += gy, fz_[a] += gz;
        fx_[b] += -gx, fy_[b] += -gy, fz_[b] += -gz;
    }

    // Thrust: the frame from the control particles, then the forces. Only the
    // horizontal means matter: the forward direction has no height.
    float frontX = 0, frontZ = 0, rearX = 0, rearZ = 0;
    for (int k = 0; k < 4; ++k) {
        frontX += px_[control_[k]], frontZ += pz_[control_[k]];
        rearX += px_[control_[k + 4]], rearZ += pz_[control_[k + 4]];
    }
    float fwdX = frontX * 0.25f - rearX * 0.25f, fwdZ = frontZ * 0.25f - rearZ * 0.25f;
    const float fwdLen = std::sqrt(fwdX * fwdX + 0.0f * 0.0f + fwdZ * fwdZ);
    if (fwdLen > 0.0f) {
        const float inv = 1.0f / fwdLen;
        fwdX *= inv, fwdZ *= inv;
    }
    const float sideX = 0.0f * 0.0f - fwdZ * 1.0f, sideZ = fwdX * 1.0f - 0.0f * 0.0f;
    const float thrustFx = fwdX * forwardThrust_, thrustFz = fwdZ * forwardThrust_;
    const float thrustBx = fwdX * -backwardThrust_, thrustBz = fwdZ * -backwardThrust_;
    const float thrustRx = sideX * rightThrust_, thrustRz = sideZ * rightThrust_;
    const float thrustLx = sideX * -leftThrust_, thrustLz = sideZ * -leftThrust_;
    for (int k = 0; k < 4; ++k) {
        fx_[control_[k]] += thrustFx, fy_[control_[k]] += 0.0f * forwardThrust_,
            fz_[control_[k]] += thrustFz;
        fx_[control_[k + 4]] += thrustBx, fy_[control_[k + 4]] += 0.0f * -backwardThrust_,
            fz_[control_[k + 4]] += thrustBz;
    }
    const int order[8] = {0, 5, 1, 4, 2, 7, 3, 6};
    const float signs[8] = {1, -1, 1, -1, 1, -1, 1, -1};
    for (int k = 0; k < 8; ++k) {
        const bool right = (k % 4 == 0) || (k % 4 == 1);
        const int p = control_[order[k]];
        const float x = right ? thrustRx : thrustLx, z = right ? thrustRz : thrustLz;
        const float y = 0.0f * (right ? rightThrust_ : -leftThrust_);
        fx_[p] += signs[k] > 0 ? x : -x;
        fy_[p] += signs[k] > 0 ? y : -y;
        fz_[p] += signs[k] > 0 ? z : -z;
    }

    float sumX = 0, sumY = 0, sumZ = 0;
    for (int i = 0; i < n_; ++i)
        sumX += vx_[i], sumY += vy_[i], sumZ += vz_[i];
    const float invN = 1.0f / static_cast<float>(n_);
    const float meanX = sumX * invN, meanY = sumY * invN, meanZ = sumZ * invN;
    const float inv12 = 1.0f / 12.0f, inv3 = 1.0f / 3.0f;
    for (int i = 0; i < n_; ++i) {
        fx_[i] = fx_[i] - (vx_[i] - meanX) * 0.15f;
        fy_[i] = fy_[i] - (vy_[i] - meanY) * 0.15f;
        fz_[i] = fz_[i] - (vz_[i] - meanZ) * 0.15f;
        vx_[i] *= 0.999f, vy_[i] *= 0.999f, vz_[i] *= 0.999f;
        cx_[i] = bx_[i], cy_[i] = by_[i], cz_[i] = bz_[i];
        bx_[i] = ax_[i], by_[i] = ay_[i], bz_[i] = az_[i];
        const float invMass = 1.0f / mass_[i];
        ax_[i] = fx_[i] * invMass, ay_[i] = fy_[i] * invMass, az_[i] = fz_[i] * invMass;
        vx_[i] = vx_[i] +
                 ((ax_[i] * 5.0f) * inv12 + (bx_[i] * 2.0f) * inv3 - (cx_[i] * 1.0f) * inv12) * dt;
        vy_[i] = vy_[i] +
                 ((ay_[i] * 5.0f) * inv12 + (by_[i] * 2.0f) * inv3 - (cy_[i] * 1.0f) * inv12) * dt;
        vz_[i] = vz_[i] +
                 ((az_[i] * 5.0f) * inv12 + (bz_[i] * 2.0f) * inv3 - (cz_[i] * 1.0f) * inv12) * dt;
    }
}

bool StepYardstick::SamePositions(const SoftBody& body) const {
    for (int i = 0; i < n_; ++i) {
        const float mine[3] = {px_[i], py_[i], pz_[i]};
        if (std::memcmp(mine, body.particles[i].position.getValue(), sizeof mine) != 0)
            return false;
    }
    return true;
}

}  // namespace wobble::bench
