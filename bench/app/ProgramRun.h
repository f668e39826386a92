#pragma once
// The program as the frame benchmarks run it: started headless on a scene
// folder with its console lines sent nowhere, and frames run one per
// benchmark iteration.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "Quietly.h"
#include "app/Application.h"

namespace wobble::bench {

// An 800 x 600 headless program on `options` (headless set here); null when
// it did not start.
std::unique_ptr<Application> StartProgram(AppOptions options);

// One frame per iteration of `state`, with the forward key held so that
// thrust, displacement and waves all take part; returns the frames' summed
// timings and sets the counters fps and each part's share of the frame.
FrameTimings RunFrames(benchmark::State& state, Application& app);

}  // namespace wobble::bench
