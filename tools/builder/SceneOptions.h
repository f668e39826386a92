#pragma once
// The command line of wobble-scene:
//
//   wobble-scene MODEL OUTDIR [--size LENGTH] [--max-springs N]
//                [--detail LEVEL] [--stiffness K] [--mass M] [--progress]

#include <string>

namespace wobble::builder {

class SceneOptions {
public:
    static constexpr double kDefaultSize = 40.0;
    static constexpr double kLargestSize = 1000.0;  // the water is 396 across
    static constexpr int kDefaultSprings = 10000;
    // The largest budget: a body that still steps at a few frames a second here.
    static constexpr int kMostSprings = 2'000'000;

    // --detail LEVEL names a spring budget.
    struct DetailLevel {
        const char* name;
        int springs;
    };
    static constexpr DetailLevel kDetailLevels[] = {
        {"coarse", 10000}, {"medium", 50000}, {"fine", 250000}, {"finest", 1000000}};

    // Reads the arguments after the program name. False with a message in
    // `error` on a bad command line; true with `help` set for --help.
    bool Parse(int argc, const char* const* argv, std::string& error);

    static const char* Usage();

    std::string surfacePath;
    std::string outDir;
    double size = kDefaultSize;        // world length of the surface's longest side
    int maxSprings = kDefaultSprings;  // the last of --max-springs and --detail given
    bool stiffnessGiven = false;
    float stiffness = 0.0f;  // given by the user, else chosen
    bool massGiven = false;
    float mass = 0.0f;
    bool progress = false;  // "progress <stage> <fraction>" lines for a program that runs the tool
    bool help = false;
};

}  // namespace wobble::builder
