#pragma once

namespace wobble {

// Wall-clock milliseconds of the parts of the latest frame's simulation.
struct StepTimings {
    double bodyStep = 0.0;
    double waterStep = 0.0;
    double surface = 0.0;  // carrying the surface along with the tetras
};

}  // namespace wobble
