#pragma once
// What the step benchmarks share: a lattice body steered as they steer it,
// the yardstick timed beside the step, and the time per spring.

#include <benchmark/benchmark.h>

#include "LatticeModel.h"
#include "softbody/SoftBody.h"

namespace wobble::bench {

// Makes the corners of the box's end faces its control particles (the far
// end's first) and sets a forward thrust of 30 and a right thrust of 10.
void SteerByEnds(SoftBody& body, const test::LatticeModel& m);

// Reports the springs and the nanoseconds a step takes per spring.
void ReportPerSpring(benchmark::State& state, int springs);

// Times the yardstick's steps on `body`, after `checkSteps` steps of both
// have shown it computes exactly what SoftBody::Step computes (an error
// otherwise).
void TimeYardstick(benchmark::State& state, SoftBody& body, int checkSteps);

}  // namespace wobble::bench
