#pragma once
// Turns an OBJ surface into a scene folder the program runs: reads and places
// the surface, builds the cage within the spring budget, chooses the control
// particles and the constants, proves the body stable with the program's own
// loader and step, writes the three files and reports what it made.
//
// Choosing the constants. The thrust is fixed (30 on each of four particles)
// and so is the program's step, so three things decide them:
// - the explicit step is stable only while stiffness / mass stays well below
//   about 100: the mass is the stiffness over kStiffnessPerMass;
// - the cells must not fold under the thrust: the stiffness is at least
//   kHoldFactor * 30 / cell size;
// - a body of any resolution should reach about the same top speed: the
//   stiffness is at least what gives all particles together kBodyMass.
// When the check finds the body failing, the ratio is halved (the chosen
// constant gives way) and the check runs again, up to kMaxSoftenings times;
// constants the user gave are kept and only warned about.

#include <string>

#include "scene/SceneOptions.h"

namespace wobble::scene {

class SceneBuilder {
public:
    static constexpr double kThrust = 30.0;  // the program's full thrust per particle
    static constexpr double kHoldFactor = 2.0;
    // Each step keeps 0.999 of the body's velocity, so its top speed is
    // 4 * 30 / body mass * 0.05 / 0.001, here 3 per time unit or 0.15 a frame.
    static constexpr double kBodyMass = 2000.0;
    static constexpr double kStiffnessPerMass = 40.0;
    static constexpr int kMaxSoftenings = 3;
    // Inside cells asked for the winding number to tell whether the surface is inside out.
    static constexpr int kOrientationSamples = 64;

    // Runs the whole tool; returns the exit status (0 made, 1 refused).
    int Run(const SceneOptions& options);

    // Rounds up to three significant digits, the form written to config.txt.
    static double RoundUp(double value);
    static double RoundDown(double value);
};

}  // namespace wobble::scene
