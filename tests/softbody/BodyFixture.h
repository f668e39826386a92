#pragma once
// Builds small bodies for the dynamics tests: a lattice of tetrahedral cubes
// loaded through the real model loader, optionally steered by eight of its
// corners.

#include <gtest/gtest.h>

#include "LatticeModel.h"
#include "TestFiles.h"
#include "softbody/SoftBody.h"

namespace wobble::test {

// Loads `model` into `body` with the given constants; the loader's console
// lines are swallowed.
inline void LoadLattice(SoftBody& body, const LatticeModel& model, float stiffness, float mass) {
    ScratchDir dir;
    const std::string path = dir.Write("lattice.tet", model.Text());
    bool ok = false;
    CaptureStdout([&] { ok = body.LoadTetFile(path, stiffness, mass).ok(); });
    ASSERT_TRUE(ok);
}

// Front group: the four corners at the lattice's +x end; rear group at its -x end.
inline void SteerByEndCorners(SoftBody& body, const LatticeModel& m) {
    const int nx = m.cubesX, ny = m.cubesY, nz = m.cubesZ;
    Particle* slots[8] = {
        &body.particles[m.VertexIndex(nx, 0, 0)],  &body.particles[m.VertexIndex(nx, ny, 0)],
        &body.particles[m.VertexIndex(nx, 0, nz)], &body.particles[m.VertexIndex(nx, ny, nz)],
        &body.particles[m.VertexIndex(0, 0, 0)],   &body.particles[m.VertexIndex(0, ny, 0)],
        &body.particles[m.VertexIndex(0, 0, nz)],  &body.particles[m.VertexIndex(0, ny, nz)],
    };
    body.controller.SetControlParticles(slots);
}

// Makes every spring's rest length its current length: a body in equilibrium.
inline void RelaxSprings(SoftBody& body) {
    const SpringSet& s = body.springs;
    for (int k = 0; k < s.size(); ++k) {
        body.springs.restLength[k] =
            (body.particles[s.particleB[k]].position - body.particles[s.particleA[k]].position)
                .length();
    }
}

}  // namespace wobble::test
