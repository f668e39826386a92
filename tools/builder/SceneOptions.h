#pragma once
// The command line of wobble-scene:
//
//   wobble-scene MODEL OUTDIR [--size LENGTH] [--max-springs N]
//                [--stiffness K] [--mass M] [--progress]

#include <string>

namespace wobble::builder {

class SceneOptions {
public:
    static constexpr double kDefaultSize = 40.0;
    static constexpr double kLargestSize = 1000.0;  // the water is 396 across
    static constexpr int kSpringLimit = 10000;      // the program's limit per body

    // Reads the arguments after the program name. False with a message in
    // `error` on a bad command line; true with `help` set for --help.
    bool Parse(int argc, const char* const* argv, std::string& error);

    static const char* Usage();

    std::string surfacePath;
    std::string outDir;
    double size = kDefaultSize;  // world length of the surface's longest side
    int maxSprings = kSpringLimit;
    bool stiffnessGiven = false;
    float stiffness = 0.0f;  // given by the user, else chosen
    bool massGiven = false;
    float mass = 0.0f;
    bool progress = false;  // "progress <stage> <fraction>" lines for a program that runs the tool
    bool help = false;
};

}  // namespace wobble::builder
