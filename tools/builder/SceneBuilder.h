#pragma once
// Turns a model file into a scene folder the program runs: reads and places
// its surface, builds the cage within the spring budget, chooses the control
// particles and the constants, proves the body stable with the program's own
// loader and step, writes the three files and reports what it made.
//
// Choosing the constants. The thrust is fixed (30 on each of four
// particles), and a built body should handle like the sample scene whatever
// its detail (builder/HandlingCheck.h), so:
// - all particles together weigh what the sample's do (kBodyMass): the
//   thrust then moves any body alike;
// - the damping of each particle's motion relative to the body is the
//   sample's per unit of mass (kDampingPerMass), so the body turns and
//   settles alike however many particles share its mass;
// - the body is as stiff as the sample's material: springs whose stiffness
//   goes with their length (kStiffnessPerCell, the sample's 30 over its
//   2.5-unit cells), and each control particle's thrust shared with the
//   particles within about a sample cell of it (kSpreadShare of the body's
//   size), which carry it as the sample's one particle does;
// - the program's explicit step is stable while stiffness / mass stays below
//   a limit that grows with the square of the body's steps per frame: the
//   frame is cut into as many sub-steps as keep stiffness / mass within
//   kLimitShare of the limit (softbody/StabilityLimit.h).
// A body whose travel or turn still falls outside the band is retuned (its
// mass by its travel, its damping by its turn) and measured again, up to
// kMaxRetunes times. When the stability check finds the body failing, chosen
// springs are made twice as stiff if it tangled, and the sub-steps doubled if
// it blew up; the check runs again, up to kMaxSoftenings times. Constants the
// user gave are kept and only warned about.

#include <functional>
#include <string>

#include "builder/ControlParticles.h"
#include "builder/HandlingCheck.h"
#include "builder/ModelFile.h"
#include "builder/PlacedSurface.h"
#include "builder/SceneOptions.h"
#include "builder/StabilityCheck.h"
#include "builder/VoxelCage.h"
#include "softbody/HandlingFile.h"
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
    SceneHandling handling;         // written to handling.txt
    Handling feel;                  // as measured with the constants written
    int retunes = 0;                // times the handling was retuned to the band
    const char* origin = "chosen";  // "chosen", "stiffness given", "mass given", "as given"
    bool userFixedBoth = false;     // both given: written as given, stable or not
    bool stable = false;
    StabilityCheck check;  // of the constants written
};

// Everything the tool makes before writing, without a word printed.
struct BuiltScene {
    PlacedSurface surface;
    CageStep cage;
    ControlParticles controls;
    ConstantsStep constants;
};

class SceneBuilder {
public:
    static constexpr double kThrust =
        ThrustController::kMaxThrust;  // the program's full thrust per particle
    static constexpr double kStiffnessPerCell = 12.0;
    static constexpr double kSpreadShare = 2.5 / 40.0;
    // The sample's 415 particles of mass 1 and its damping of 0.15 a particle.
    static constexpr double kBodyMass = 415.0;
    static constexpr double kDampingPerMass = 0.15;
    static constexpr double kLimitShare = 0.5;
    static constexpr int kMaxRetunes = 3;
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

    // All steps up to the writing for the model file at `path`, with the
    // constants chosen, as Run takes them for --size and --max-springs.
    static Result<BuiltScene> Build(const std::string& path, double size, int maxSprings,
                                    bool prove = true);

    // The steps, in order. Each returns what it made or why it could not,
    // and prints nothing.
    static Result<ModelFile> ReadSurface(const std::string& path);
    // The cage within the spring budget; turns `surface` outward when it is
    // inside out.
    static Result<CageStep> BuildCage(PlacedSurface& surface, int maxSprings,
                                      const std::string& name);
    static Result<ControlParticles> ChooseControls(const VoxelCage& cage, const std::string& name);
    // Chooses the constants and handling the user left open, retunes them
    // while the body handles outside the band and checks them, softening
    // chosen ones while the body fails; `note` hears of each retune and
    // softening, and `progress` of the frames each check has done.
    // Without `prove` the first choice is taken as it is: neither measured
    // nor checked (for measuring the program on big bodies, which take
    // minutes to prove).
    static Result<ConstantsStep> ChooseConstants(
        const VoxelCage& cage, const ControlParticles& controls, const SceneOptions& options,
        const std::function<void(const std::string&)>& note,
        const std::function<void(int)>& progress = nullptr, bool prove = true);
    // The body steps per frame that keep stiffness / mass within kLimitShare
    // of the stability limit for a body of unit-stiffness eigenvalue `lambda`.
    static int SubStepsFor(double stiffness, double mass, double lambda);
    // Writes the four files into `outDir`; returns the folder's absolute path.
    static Result<std::string> WriteScene(const std::string& outDir, const VoxelCage& cage,
                                          const PlacedSurface& surface,
                                          const ControlParticles& controls,
                                          const ConstantsStep& constants);

    // Rounds up to three significant digits, the form written to config.txt.
    static double RoundUp(double value);
    static double RoundDown(double value);
};

}  // namespace wobble::builder
