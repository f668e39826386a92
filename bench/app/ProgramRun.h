#pragma once
// The program as the frame benchmarks run it: started headless on a scene
// folder with its console lines sent nowhere, and frames run one per
// benchmark iteration.

#include <benchmark/benchmark.h>

#include <functional>
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

// The program started on the scene of `folder` and its frames run as
// RunFrames runs them; the counters gain the body's springs and its step's
// milliseconds a frame, and `count` adds the caller's own. Fails the
// benchmark when the scene does not start or a position stops being finite.
void RunSceneFrames(benchmark::State& state, const std::string& folder,
                    const std::function<void(const Scene&)>& count);

}  // namespace wobble::bench
