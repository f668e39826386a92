#pragma once
// Turns a model file into a scene folder the program runs: reads and places
// its surface, builds the cage within the spring budget, chooses the control
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

#include <functional>
#include <string>

#include "builder/ControlParticles.h"
#include "builder/ModelFile.h"
#include "builder/PlacedSurface.h"
#include "builder/SceneOptions.h"
#include "builder/StabilityCheck.h"
#include "builder/VoxelCage.h"
#include "text/InputError.h"

namespace wobble::builder {

// What the cage step made.
struct CageStep {
    VoxelCage cage;
    bool turnedOutward = false;  // the surface was inside out and has been turned
};

// The constants and the check that proved (or did not prove) them.
struct ConstantsStep {
    std::string stiffnessText;  // as written to config.txt
    std::string massText;
    const char* origin = "chosen";  // "chosen", "stiffness given", "mass given", "as given"
    bool userFixedBoth = false;     // both given: written as given, stable or not
    bool stable = false;
    StabilityCheck check;  // of the constants written
};

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
    // A cage of more springs than this is numbered along a space-filling
    // curve (VoxelCage::OrderAlongCurve); smaller ones, which fit the cache
    // in any order, keep the grid order the tool has always written.
    static constexpr int kGridOrderMostSprings = 10000;

    // Runs the whole tool, printing each step's report as it is done;
    // returns the exit status (0 made, 1 refused).
    int Run(const SceneOptions& options);

    // The steps, in order. Each returns what it made or why it could not,
    // and prints nothing.
    static Result<ModelFile> ReadSurface(const std::string& path);
    // The cage within the spring budget; turns `surface` outward when it is
    // inside out.
    static Result<CageStep> BuildCage(PlacedSurface& surface, int maxSprings,
                                      const std::string& name);
    static Result<ControlParticles> ChooseControls(const VoxelCage& cage, const std::string& name);
    // Chooses the constants the user left open and checks them, softening
    // chosen ones while the body fails; `note` hears of each softening, and
    // `progress` of the steps each check has done.
    static Result<ConstantsStep> ChooseConstants(
        const VoxelCage& cage, const ControlParticles& controls, const SceneOptions& options,
        const std::function<void(const std::string&)>& note,
        const std::function<void(int)>& progress = nullptr);
    // Writes the three files into `outDir`; returns the folder's absolute path.
    static Result<std::string> WriteScene(const std::string& outDir, const VoxelCage& cage,
                                          const PlacedSurface& surface,
                                          const ControlParticles& controls,
                                          const ConstantsStep& constants);

    // Rounds up to three significant digits, the form written to config.txt.
    static double RoundUp(double value);
    static double RoundDown(double value);
};

}  // namespace wobble::builder
