#pragma once
// A lattice body steered as the step benchmarks steer it.

#include "LatticeModel.h"
#include "softbody/SoftBody.h"

namespace wobble::bench {

// Makes the corners of the box's end faces its control particles (the far
// end's first) and sets a forward thrust of 30 and a right thrust of 10.
void SteerByEnds(SoftBody& body, const test::LatticeModel& m);

}  // namespace wobble::bench
