#include "builder/HandlingCheck.h"

#include <cmath>
#include <memory>

#include "math/VecMath.h"
#include "softbody/HandlingFile.h"
#include "softbody/SceneConfig.h"

namespace wobble::builder {

namespace {

// A body built as the program builds it, with its controls and handling.
std::unique_ptr<SoftBody> MakeBody(const TetModel& model, float stiffness, float mass,
                                   const SceneHandling& handling, const int controls[8]) {
    auto body = std::make_unique<SoftBody>();
    if (!body->Build(model, stiffness, mass, "the cage") || body->particleCount <= 0)
        return nullptr;
    Particle* slots[8];
    for (int k = 0; k < 8; ++k) {
        if (controls[k] < 0 || controls[k] >= body->particleCount)
            return nullptr;
        slots[k] = &body->particles[controls[k]];
    }
    body->controller.SetControlParticles(slots);
    body->controller.UpdateFrame();
    body->handling = handling.body;
    body->SpreadThrust(handling.body.thrustSpread);
    body->controller.maxThrust = handling.maxThrust;
    return body;
}

bool AllFinite(const SoftBody& body) {
    for (const Particle& p : body.particles) {
        if (!VecIsFinite(p.position))
            return false;
    }
    return true;
}

double GroupDistance(const ThrustController& c) {
    return VecLength(c.frontMean - c.rearMean);
}

// The particles' mean speed relative to the body's mean velocity.
double RelativeSpeed(const SoftBody& body) {
    SbVec3f mean(0, 0, 0);
    for (const Particle& p : body.particles)
        mean += p.velocity;
    mean /= static_cast<float>(body.particleCount);
    double sum = 0.0;
    for (const Particle& p : body.particles)
        sum += VecLength(p.velocity - mean);
    return sum / body.particleCount;
}

double Heading(const ThrustController& c) {
    return std::atan2(static_cast<double>(c.forward[2]), static_cast<double>(c.forward[0]));
}

}  // namespace

Handling HandlingCheck::Measure(const TetModel& model, float stiffness, float mass,
                                const SceneHandling& handling, const int controls[8]) {
    Handling h;
    // Up held, then let go.
    std::unique_ptr<SoftBody> body = MakeBody(model, stiffness, mass, handling, controls);
    if (!body)
        return h;
    ThrustController& c = body->controller;
    const SbVec3f start = c.centre;
    double smallest = GroupDistance(c), largest = smallest;
    for (int frame = 1; frame <= kFrames; ++frame) {
        c.Steer(true, false, false, false);
        body->Advance(kFrameTime);
        if (frame >= kGiveFrom) {
            const double d = GroupDistance(c);
            smallest = std::min(smallest, d);
            largest = std::max(largest, d);
        }
    }
    c.UpdateFrame();
    h.travel = VecLength(c.centre - start);
    const double atRelease = RelativeSpeed(*body);
    for (int frame = 1; frame <= kFrames; ++frame) {
        c.Steer(false, false, false, false);
        body->Advance(kFrameTime);
    }
    c.UpdateFrame();
    const double settled = GroupDistance(c);
    h.give = settled > 0.0 ? std::max(largest - settled, settled - smallest) / settled : 0.0;
    h.unrest = atRelease > 0.0 ? RelativeSpeed(*body) / atRelease : 0.0;
    h.finite = AllFinite(*body);

    // Up and Left held. The heading is followed frame by frame, so a turn
    // past half a circle is counted in full.
    body = MakeBody(model, stiffness, mass, handling, controls);
    double heading = Heading(body->controller);
    for (int frame = 1; frame <= kFrames; ++frame) {
        body->controller.Steer(true, false, true, false);
        body->Advance(kFrameTime);
        const double now = Heading(body->controller);
        double change = now - heading;
        change -= 2.0 * M_PI * std::round(change / (2.0 * M_PI));
        // Left turns the nose from +x towards -z: a falling atan2(z, x).
        h.turn -= change;
        heading = now;
    }
    h.finite = h.finite && AllFinite(*body);
    return h;
}

Result<Handling> HandlingCheck::MeasureScene(const std::string& folder) {
    Result<SceneConfig> config = ReadSceneConfig("config.txt", folder);
    if (!config)
        return config.error();
    Result<TetModel> model = ReadTetFile(config->tetFile, folder);
    if (!model)
        return model.error();
    Result<SceneHandling> handling = ReadHandlingFile(folder);
    if (!handling)
        return handling.error();
    int controls[8];
    for (int k = 0; k < 8; ++k) {
        const long long index = config->points[k];
        controls[k] = index < 0 || index >= static_cast<long long>(model->vertices.size())
                          ? -1
                          : static_cast<int>(index);
    }
    return Measure(*model, config->stiffness, config->mass, *handling, controls);
}

bool HandlingCheck::HandlesLikeTheSample(const Handling& h) {
    return h.finite && InBand(TravelRatio(h)) && InBand(TurnRatio(h)) && h.give >= kLeastGive &&
           h.unrest <= kMostUnrest;
}

}  // namespace wobble::builder
