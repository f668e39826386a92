#include "SteeredBody.h"

namespace wobble::bench {

void SteerByEnds(SoftBody& body, const test::LatticeModel& m) {
    Particle* slots[8] = {
        &body.particles[m.VertexIndex(m.cubesX, 0, 0)],
        &body.particles[m.VertexIndex(m.cubesX, m.cubesY, 0)],
        &body.particles[m.VertexIndex(m.cubesX, 0, m.cubesZ)],
        &body.particles[m.VertexIndex(m.cubesX, m.cubesY, m.cubesZ)],
        &body.particles[m.VertexIndex(0, 0, 0)],
        &body.particles[m.VertexIndex(0, m.cubesY, 0)],
        &body.particles[m.VertexIndex(0, 0, m.cubesZ)],
        &body.particles[m.VertexIndex(0, m.cubesY, m.cubesZ)],
    };
    body.controller.SetControlParticles(slots);
    body.controller.forwardThrust = 30.0f;
    body.controller.rightThrust = 10.0f;
}

}  // namespace wobble::bench
