#include "builder/StabilityCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <Inventor/SbVec3d.h>

#include "builder/BuildProgress.h"
#include "math/VecMath.h"
#include "softbody/SoftBody.h"

namespace wobble::builder {

namespace {

// The farthest particle from the body's mean position: a size that turning
// the body leaves alone, unlike the diagonal of its bounding box.
double Reach(const SoftBody& body) {
    SbVec3d mean(0, 0, 0);
    for (const Particle& p : body.particles)
        mean += SbVec3d(p.position[0], p.position[1], p.position[2]);
    mean /= static_cast<double>(body.particleCount);
    double reach = 0.0;
    for (const Particle& p : body.particles) {
        const SbVec3d offset = SbVec3d(p.position[0], p.position[1], p.position[2]) - mean;
        reach = std::max(reach, offset.length());
    }
    return reach;
}

// Which way round each tetra's corners run: +1 or -1 (0 for a flat one).
signed char Orientation(const Tetra& tetra) {
    const SbVec3f& p0 = tetra.corners[0]->position;
    const SbVec3f e1 = tetra.corners[1]->position - p0;
    const SbVec3f e2 = tetra.corners[2]->position - p0;
    const SbVec3f e3 = tetra.corners[3]->position - p0;
    const float volume = e1.dot(VecCross(e2, e3));
    return volume > 0.0f ? 1 : volume < 0.0f ? -1 : 0;
}

// Share of tetras whose corners now run the other way round than when loaded
// (the file may order corners either way; only a change counts).
double TangledShare(const SoftBody& body, const std::vector<signed char>& loaded) {
    int inverted = 0;
    for (int t = 0; t < body.tetraCount; ++t) {
        if (Orientation(body.tetras[t]) * loaded[t] < 0)
            ++inverted;
    }
    return body.tetraCount > 0 ? static_cast<double>(inverted) / body.tetraCount : 0.0;
}

SbVec3f ControlCentre(const SoftBody& body) {
    SbVec3f sum(0, 0, 0);
    for (const Particle* p : body.controller.controlParticles)
        sum += p->position;
    return sum / 8.0f;
}

}  // namespace

bool StabilityCheck::Run(const TetModel& model, float stiffness, float mass, const int controls[8],
                         const std::function<void(int)>& progress) {
    stepsRun = 0;
    largestGrowth = 0.0;
    largestTangle = 0.0;
    distanceTravelled = 0.0;
    problem.clear();

    SoftBody body;
    if (!body.Build(model, stiffness, mass, "the cage") || body.particleCount <= 0) {
        problem = "the program refused the body";
        return false;
    }
    Particle* slots[8];
    for (int k = 0; k < 8; ++k) {
        if (controls[k] < 0 || controls[k] >= body.particleCount) {
            problem = "a control particle is not a particle of the body";
            return false;
        }
        slots[k] = &body.particles[controls[k]];
    }
    body.controller.SetControlParticles(slots);
    body.handling = handling;
    body.SpreadThrust(handling.thrustSpread);

    const double startSize = Reach(body);
    std::vector<signed char> loadedOrientation(body.tetras.size());
    for (int t = 0; t < body.tetraCount; ++t)
        loadedOrientation[t] = Orientation(body.tetras[t]);
    const SbVec3f startCentre = ControlCentre(body);
    for (int step = 1; step <= kSteps; ++step) {
        // What the key bindings do each frame while Up (and later Right) is held.
        body.controller.RampForward();
        if (step > kTurnFromStep)
            body.controller.RampRight();
        else
            body.controller.DecayLeftRight();
        body.Advance(kTimeStep);
        stepsRun = step;
        if (progress)
            progress(step);

        for (const Particle& p : body.particles) {
            if (!VecIsFinite(p.position)) {
                problem = "a particle's position stopped being finite";
                return false;
            }
        }
        const double growth = Reach(body) / startSize;
        largestGrowth = std::max(largestGrowth, growth);
        if (growth > kBlowUpGrowth) {
            problem = "the body blew up";
            return false;
        }
        if (step % kTangleEvery == 0)
            ReportProgress(BuildStage::kCheck, static_cast<double>(step) / kSteps);
        if (step % kTangleEvery == 0 || step == kSteps) {
            largestTangle = std::max(largestTangle, TangledShare(body, loadedOrientation));
            if (largestTangle > kTangledShare) {
                problem = "the body tangled (tetras turned inside out)";
                return false;
            }
        }
    }
    distanceTravelled = VecLength(ControlCentre(body) - startCentre);
    return true;
}

}  // namespace wobble::builder
