#pragma once
// A scene's handling beside its config.txt, in an optional file of its own
// so that config.txt stays the six lines every version of the program reads
// (a version that knows nothing of this file runs the scene with one step a
// frame and the program's damping). wobble-scene writes it for the bodies
// it builds:
//
//   # how this body handles (written by wobble-scene)
//   substeps 12         body steps per frame, each of the frame's time / 12
//   damping 0.0017      of each particle's velocity relative to the body's mean
//   spread 2.5          each control particle's thrust shared with the particles this near
//   thrust 30           the cap of every thrust
//
// Each line holds one keyword and its value; blank lines and lines starting
// with # are skipped, and a keyword left out keeps the program's value.

#include <string>

#include "softbody/SoftBody.h"
#include "text/InputError.h"

namespace wobble {

struct SceneHandling {
    static constexpr const char* kFileName = "handling.txt";
    static constexpr int kMostSubSteps = 1000;
    static constexpr float kDefaultMaxThrust = ThrustController::kMaxThrust;

    BodyHandling body;
    float maxThrust = kDefaultMaxThrust;

    bool operator==(const SceneHandling&) const = default;
};

// Reads folder/handling.txt; the program's values when there is no such
// file. Refuses, naming the file and the line, a line it does not know and
// a value that cannot be simulated (sub-steps outside 1..kMostSubSteps,
// damping, spread or thrust negative or not finite).
Result<SceneHandling> ReadHandlingFile(const std::string& folder = "");

// The file's text for `handling`; values read back to the same bits.
std::string HandlingText(const SceneHandling& handling);

}  // namespace wobble
