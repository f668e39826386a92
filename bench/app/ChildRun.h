#pragma once
// Programs run as a person runs them, each in a process of its own with its
// console sent nowhere: their wall time and the page faults they took. A
// frame's cost is measured the same way for every program, the program
// itself or the plain-GL drawing floor: the run of W + F frames less the run
// of W, over F, so that start-up and the first W frames are taken off (their
// shaders compiled, the heap grown to what the frames in flight need).

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wobble::bench {

struct ChildCost {
    double seconds = 0.0;     // wall time, start to exit
    double cpuSeconds = 0.0;  // processor time of all its threads, user and system
    double faults = 0.0;      // minor and major page faults of the child
};

// Runs args[0] (a path) with args[1..]; the cost when it ended with status 0.
std::optional<ChildCost> RunChild(const std::vector<std::string>& args);

// A program's arguments for a run of the given number of frames.
using FrameCommand = std::function<std::vector<std::string>(int frames)>;

// Per frame: (run of first + frames) - (run of first), over frames;
// nothing when a run failed.
std::optional<ChildCost> CostPerFrame(const FrameCommand& command, int first, int frames);

}  // namespace wobble::bench
