#pragma once
// How a body handles, measured as a user feels it, with the program's own
// step and the key bindings' thrust:
// - travel: the distance the centre of the control particles covers while
//   Up is held for kFrames frames;
// - turn: the angle its forward direction turns through while Up and Left
//   are held for kFrames frames;
// - give: how far the shape gives under thrust, the largest change of the
//   distance between the front and rear control groups (frames kGiveFrom to
//   kFrames of Up) over that distance once settled;
// - unrest: how far from settled it is kFrames frames after Up is let go,
//   the particles' mean speed relative to the body's mean velocity over the
//   same at the moment of letting go.
// A built body handles like the sample when its travel and turn are within
// kLowest to kHighest times the sample's and its shape gives and settles.

#include <string>

#include "softbody/HandlingFile.h"
#include "softbody/SoftBody.h"
#include "text/InputError.h"

namespace wobble::builder {

struct Handling {
    double travel = 0.0;
    double turn = 0.0;  // radians, positive to the left
    double give = 0.0;
    double unrest = 0.0;
    bool finite = true;  // every position stayed finite
};

class HandlingCheck {
public:
    static constexpr int kFrames = 300;
    static constexpr int kGiveFrom = 60;  // past the first swelling (rest lengths start 10 % long)
    static constexpr float kFrameTime = SoftBody::kTimeStep;
    // The sample scene's figures (assets/), measured by Measure.
    static constexpr double kSampleTravel = 27.1;
    static constexpr double kSampleTurn = 1.56;
    static constexpr double kLowest = 0.6;
    static constexpr double kHighest = 1.6;
    // A shape that gives less than this share of its length does not visibly
    // wobble (the sample's gives 9 %); one whose unrest is above kMostUnrest
    // has not settled (the sample's is 0.23).
    static constexpr double kLeastGive = 0.002;
    static constexpr double kMostUnrest = 0.7;

    // Drives a body built from `model` with the given constants, handling and
    // control particles (config slot order) twice from the start, as above.
    // A body that cannot be built measures zero.
    static Handling Measure(const TetModel& model, float stiffness, float mass,
                            const SceneHandling& handling, const int controls[8]);

    // Measures the scene of config.txt (and handling.txt, if there is one)
    // in `folder`, as the program loads it.
    static Result<Handling> MeasureScene(const std::string& folder);

    static double TravelRatio(const Handling& h) { return h.travel / kSampleTravel; }
    static double TurnRatio(const Handling& h) { return h.turn / kSampleTurn; }
    static bool InBand(double ratio) { return ratio >= kLowest && ratio <= kHighest; }
    // Travel and turn in the band, the shape giving and settling.
    static bool HandlesLikeTheSample(const Handling& h);
};

}  // namespace wobble::builder
