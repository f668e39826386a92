#include "scene/StabilityCheck.h"

#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/VecMath.h"
#include "softbody/SoftBody.h"

namespace wobble::scene {

namespace {

// The loader prints its counts for the program's console; here they would
// only clutter the tool's own report, so standard output is parked meanwhile.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int sink = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && sink >= 0)
            dup2(sink, STDOUT_FILENO);
        if (sink >= 0)
            close(sink);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_ = -1;
};

double BoxDiagonal(const SoftBody& body) {
    SbVec3f lo = body.particles[0].position;
    SbVec3f hi = lo;
    for (const Particle& p : body.particles) {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p.position[a]);
            hi[a] = std::max(hi[a], p.position[a]);
        }
    }
    return VecLength(hi - lo);
}

// Share of tetras whose corners now run the other way round than when loaded.
double TangledShare(const SoftBody& body) {
    int inverted = 0;
    for (const Tetra& tetra : body.tetras) {
        const SbVec3f& p0 = tetra.corners[0]->position;
        const SbVec3f e1 = tetra.corners[1]->position - p0;
        const SbVec3f e2 = tetra.corners[2]->position - p0;
        const SbVec3f e3 = tetra.corners[3]->position - p0;
        if (e1.dot(VecCross(e2, e3)) < 0.0f)
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

bool StabilityCheck::Run(const std::string& tetPath, float stiffness, float mass,
                         const int controls[8]) {
    stepsRun = 0;
    largestGrowth = 0.0;
    largestTangle = 0.0;
    distanceTravelled = 0.0;
    problem.clear();

    SoftBody body;
    bool loaded = false;
    {
        QuietStdout quiet;
        loaded = body.LoadTetFile(tetPath, stiffness, mass);
    }
    if (!loaded || body.particleCount <= 0) {
        problem = "the program's loader refused the body";
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

    const double startSize = BoxDiagonal(body);
    const SbVec3f startCentre = ControlCentre(body);
    for (int step = 1; step <= kSteps; ++step) {
        // What the key bindings do each frame while Up (and later Right) is held.
        body.controller.RampForward();
        if (step > kTurnFromStep)
            body.controller.RampRight();
        else
            body.controller.DecayLeftRight();
        body.Step(kTimeStep);
        stepsRun = step;

        for (const Particle& p : body.particles) {
            if (!VecIsFinite(p.position)) {
                problem = "a particle's position stopped being finite";
                return false;
            }
        }
        const double growth = BoxDiagonal(body) / startSize;
        largestGrowth = std::max(largestGrowth, growth);
        if (growth > kBlowUpGrowth) {
            problem = "the body blew up";
            return false;
        }
        if (step % kTangleEvery == 0 || step == kSteps) {
            largestTangle = std::max(largestTangle, TangledShare(body));
            if (largestTangle > kTangledShare) {
                problem = "the body tangled (tetras turned inside out)";
                return false;
            }
        }
    }
    distanceTravelled = VecLength(ControlCentre(body) - startCentre);
    return true;
}

}  // namespace wobble::scene
