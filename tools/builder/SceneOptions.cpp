#include "builder/SceneOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "builder/ModelFile.h"
#include "mesh/ModelTimeBudget.h"

namespace wobble::builder {

namespace {

bool ParsePositive(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(value) && value > 0.0;
}

}  // namespace

const char* SceneOptions::Usage() {
    static const std::string text =
        std::string(
            "usage: wobble-scene MODEL OUTDIR [--size LENGTH] [--max-springs N]\n"
            "                    [--detail LEVEL] [--stiffness K] [--mass M] [--progress]\n"
            "Makes a wobble scene from a model file: OUTDIR/config.txt, OUTDIR/body.tet\n"
            "and OUTDIR/surface.obj. Model formats: ") +
        ModelFile::FormatsText() +
        ".\n"
        "  --size LENGTH     length of the surface's longest side (default 40)\n"
        "  --max-springs N   spring budget of the body (default 10000, at most 2000000)\n"
        "  --detail LEVEL    a budget by name: coarse (10000 springs), medium (50000),\n"
        "                    fine (250000), finest (1000000)\n"
        "  --stiffness K     spring stiffness (default: chosen and checked)\n"
        "  --mass M          particle mass (default: chosen and checked)\n"
        "  --progress        for a program that runs this tool: \"progress STAGE FRACTION\"\n"
        "                    lines on standard output as the build goes (STAGE: reading,\n"
        "                    cage, tetras, check, writing; FRACTION from 0.00 to 1.00)\n"
        "Reading the model may take " +
        ModelTimeBudget::ImportText() + " of the file (" + ModelTimeBudget::kImportVariable +
        "\nsets it in seconds instead); a file not read by then is taken to be damaged:\n"
        "wobble-scene says so and ends with exit status 1, having written nothing.\n";
    return text.c_str();
}

bool SceneOptions::Parse(int argc, const char* const* argv, std::string& error) {
    *this = SceneOptions();
    int positional = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        if (arg == "--progress") {
            progress = true;
            continue;
        }
        if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            const char* value = argv[++i];
            double number = 0.0;
            if (arg == "--size") {
                if (!ParsePositive(value, number) || number > kLargestSize) {
                    error = "--size " + std::string(value) + " is not a length above 0 and up to " +
                            std::to_string(static_cast<int>(kLargestSize));
                    return false;
                }
                size = number;
            } else if (arg == "--max-springs") {
                if (!ParsePositive(value, number) || number != std::floor(number) ||
                    number > kMostSprings) {
                    error = "--max-springs " + std::string(value) +
                            " is not a whole number from 1 to " + std::to_string(kMostSprings);
                    return false;
                }
                maxSprings = static_cast<int>(number);
            } else if (arg == "--detail") {
                const DetailLevel* level = nullptr;
                for (const DetailLevel& known : kDetailLevels) {
                    if (std::strcmp(value, known.name) == 0)
                        level = &known;
                }
                if (level == nullptr) {
                    error = "--detail " + std::string(value) +
                            " is not one of coarse, medium, fine, finest";
                    return false;
                }
                maxSprings = level->springs;
            } else if (arg == "--stiffness" || arg == "--mass") {
                // Checked as the float the program will hold, so that a tiny
                // value does not round to zero and a huge one to infinity.
                if (!ParsePositive(value, number) || !std::isfinite(static_cast<float>(number)) ||
                    static_cast<float>(number) <= 0.0f) {
                    error = arg + " " + value + " is not a positive number";
                    return false;
                }
                if (arg == "--stiffness") {
                    stiffnessGiven = true;
                    stiffness = static_cast<float>(number);
                } else {
                    massGiven = true;
                    mass = static_cast<float>(number);
                }
            } else {
                error = "unknown option " + arg;
                return false;
            }
            continue;
        }
        if (positional == 0) {
            surfacePath = arg;
        } else if (positional == 1) {
            outDir = arg;
        } else {
            error = "one model file and one output folder, not \"" + arg + "\" too";
            return false;
        }
        ++positional;
    }
    if (positional < 2) {
        error = positional == 0 ? "no model file given" : "no output folder given";
        return false;
    }
    return true;
}

}  // namespace wobble::builder
