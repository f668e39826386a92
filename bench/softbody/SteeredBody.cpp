#include "SteeredBody.h"

#include "StepYardstick.h"

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

void ReportPerSpring(benchmark::State& state, int springs) {
    state.counters["springs"] = springs;
    state.counters["ns_per_spring"] = benchmark::Counter(
        static_cast<double>(springs) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void TimeYardstick(benchmark::State& state, SoftBody& body, int checkSteps) {
    StepYardstick yardstick(body);
    for (int k = 0; k < checkSteps; ++k) {
        body.Step(0.05f);
        yardstick.Step(0.05f);
    }
    if (!yardstick.SamePositions(body)) {
        state.SkipWithError("the yardstick's positions differ from SoftBody::Step's");
        return;
    }
    for (auto _ : state) {
        yardstick.Step(0.05f);
        benchmark::ClobberMemory();
    }
    ReportPerSpring(state, body.springCount);
}

}  // namespace wobble::bench
