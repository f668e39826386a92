#pragma once
// Proves that a body holds together in the program: builds it from the model
// exactly as the program's loader builds what it reads from the written file
// (the file holds every coordinate to the bit), with the program's constants,
// and runs the program's own time step for kSteps frames (each of the handling's sub-steps, with
// its damping and thrust spread) with the forward thrust held from the first frame (ramping to its
// full 30 like a held key), turning right in the last third. The body fails
// when a position stops being finite, when it grows beyond kBlowUpGrowth times its loaded reach
// from its centre (it swells by about a tenth at first, since every rest length starts at 1.1 times
// the loaded edge), or when more than kTangledShare of its tetras turn inside out.

#include <functional>
#include <string>

#include "softbody/SoftBody.h"

namespace wobble::builder {

class StabilityCheck {
public:
    static constexpr int kSteps = 3000;
    static constexpr int kTurnFromStep = 2000;
    static constexpr float kTimeStep = SoftBody::kTimeStep;  // the program's body time per frame
    static constexpr double kBlowUpGrowth = 3.0;
    static constexpr double kTangledShare = 0.05;
    static constexpr int kTangleEvery = 100;  // steps between counts of inverted tetras

    // Runs the check on `model` with the given constants and control
    // particles (config slot order). False when the body fails or cannot be
    // built; `problem` then says why. `progress`, if given, hears the number
    // of steps done after each step: a body of a million springs takes tens
    // of seconds.
    bool Run(const TetModel& model, float stiffness, float mass, const int controls[8],
             const std::function<void(int)>& progress = nullptr);

    // The body's steps per frame and damping; each frame is one Advance.
    BodyHandling handling;

    int stepsRun = 0;                // frames
    double largestGrowth = 0.0;      // largest reach over the loaded one
    double largestTangle = 0.0;      // largest share of inverted tetras seen
    double distanceTravelled = 0.0;  // of the centre of the control particles
    std::string problem;
};

}  // namespace wobble::builder
