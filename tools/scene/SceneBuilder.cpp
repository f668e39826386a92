#include "scene/SceneBuilder.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/LineReader.h"
#include "scene/ControlParticles.h"
#include "scene/ObjModel.h"
#include "scene/PlacedSurface.h"
#include "scene/SceneWriter.h"
#include "scene/StabilityCheck.h"
#include "scene/VoxelCage.h"
#include "scene/WindingNumberTree.h"

namespace wobble::scene {

namespace fs = std::filesystem;

namespace {

// The printed form of a constant, and the float the program will read from it.
// Nine digits give back any float exactly, so a value the user gave is
// written as given; the chosen ones have three digits and print as such.
std::string Format(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

float AsLoaded(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

// A path as a shell takes it: quoted when it holds anything unusual.
std::string ShellWord(const std::string& path) {
    bool plain = !path.empty();
    for (char c : path) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+,:@%", c)))
            plain = false;
    }
    if (plain)
        return path;
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The program lives beside this tool in the build folder.
std::string ProgramCommand() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path program = self.parent_path() / "wobble";
        if (fs::exists(program, error))
            return ShellWord(program.string());
    }
    return "wobble";
}

// A private copy of the model file for the check, removed when done.
class CheckFile {
public:
    explicit CheckFile(const std::string& text) {
        std::error_code error;
        std::string pattern = (fs::temp_directory_path(error) / "wobble-scene-XXXXXX").string();
        if (error)
            pattern = "/tmp/wobble-scene-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            return;
        path_ = pattern;
        const char* at = text.data();
        size_t left = text.size();
        while (left > 0) {
            const ssize_t n = write(fd, at, left);
            if (n <= 0)
                break;
            at += n;
            left -= static_cast<size_t>(n);
        }
        ok_ = left == 0;
        close(fd);
    }
    ~CheckFile() {
        if (!path_.empty())
            std::remove(path_.c_str());
    }
    CheckFile(const CheckFile&) = delete;
    CheckFile& operator=(const CheckFile&) = delete;

    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace

double SceneBuilder::RoundUp(double value) {
    const double unit = std::pow(10.0, std::floor(std::log10(value)) - 2.0);
    return std::ceil(value / unit - 1e-9) * unit;
}

double SceneBuilder::RoundDown(double value) {
    const double unit = std::pow(10.0, std::floor(std::log10(value)) - 2.0);
    return std::floor(value / unit + 1e-9) * unit;
}

int SceneBuilder::Run(const SceneOptions& options) {
    const std::string& name = options.surfacePath;
    std::printf("wobble-scene: %s\n", name.c_str());

    ObjModel model;
    if (!model.Load(name))
        return 1;
    std::printf(
        "  read       %zu vertices and %d faces (%d with more than three corners), "
        "%zu triangles\n",
        model.vertices.size(), model.faceCount, model.polygonCount, model.triangles.size());
    if (model.shortFaceCount > 0 || model.collapsedTriangleCount > 0) {
        std::printf(
            "             left out: %d faces of fewer than three corners, %d triangles "
            "naming a vertex twice\n",
            model.shortFaceCount, model.collapsedTriangleCount);
    }

    PlacedSurface surface;
    if (!surface.Place(model, options.size, name))
        return 1;
    const SbVec3d extent = surface.upper - surface.lower;
    std::printf(
        "  surface    scaled by %.4g to %.3g x %.3g x %.3g, centred at x = z = 198, "
        "underside at y = %.3g (water at -1)\n",
        surface.scale, extent[0], extent[1], extent[2], surface.lower[1]);
    if (surface.unusedVertexCount > 0)
        std::printf("             %d vertices no face uses are left out\n",
                    surface.unusedVertexCount);

    WindingNumberTree winding;
    winding.Build(surface.exactVertices, surface.triangles);
    VoxelCage cage;
    if (!cage.BuildWithinBudget(surface, winding, options.maxSprings)) {
        ReportInputError(name, 0,
                         "a spring budget of %d is too small: even the coarsest cage has %d "
                         "springs",
                         options.maxSprings, cage.springCount);
        return 1;
    }
    std::printf(
        "  cage       voxel grid of cells %.3g wide, %d along the longest side "
        "(%d resolutions tried):\n",
        cage.cellSize, cage.resolution, cage.resolutionsTried);
    std::printf(
        "             %d cells: %d on the surface, %d walled in by it, %d inside by "
        "winding number, %d bridging\n",
        cage.KeptCellCount(), cage.surfaceCells, cage.enclosedCells, cage.windingCells,
        cage.bridgeCells);
    if (cage.partCount > 1 || cage.droppedCells > 0) {
        std::printf(
            "             %d loose parts joined into one body by bridges of cells; %d "
            "loose single cells dropped\n",
            cage.partCount - cage.droppedCells, cage.droppedCells);
    }
    std::printf("             each cell cut into 6 tetras around its main diagonal\n");
    // The program lights one side of a face only: a surface whose faces run
    // clockwise seen from outside (inside out) would show its dark back.
    if (cage.MeanInsideWinding(winding, kOrientationSamples) < -0.5) {
        surface.TurnFacesOutward();
        std::printf(
            "             the surface was inside out (faces clockwise seen from "
            "outside): its faces are turned\n");
    }
    std::printf("  body       %zu vertices, %zu tetras, %d springs (budget %d)\n",
                cage.vertices.size(), cage.tetras.size(), cage.springCount, options.maxSprings);

    ControlParticles controls;
    if (!controls.Choose(cage.vertices)) {
        ReportInputError(name, 0, "the cage has fewer than 8 vertices");
        return 1;
    }
    const SbVec3d& f = controls.forward;
    std::printf("  control    front %d %d %d %d, rear %d %d %d %d; forward (%.3g, 0, %.3g)\n",
                controls.indices[0], controls.indices[1], controls.indices[2], controls.indices[3],
                controls.indices[4], controls.indices[5], controls.indices[6], controls.indices[7],
                f[0], f[2]);
    std::printf(
        "             body %.3g long and %.3g wide; water body radius %.3g (half the "
        "distance of particles 2 and 3)\n",
        controls.length, controls.width, controls.waterRadius);

    // The constants: chosen where the user left them open.
    const double cell = cage.cellSize;
    const double particles = static_cast<double>(cage.vertices.size());
    double stiffness = options.stiffnessGiven
                           ? options.stiffness
                           : RoundUp(std::max(kHoldFactor * kThrust / cell,
                                              kStiffnessPerMass * kBodyMass / particles));
    double mass = options.massGiven ? options.mass : RoundUp(stiffness / kStiffnessPerMass);
    if (options.massGiven && !options.stiffnessGiven)
        stiffness = RoundDown(mass * kStiffnessPerMass);
    if (!std::isfinite(static_cast<float>(stiffness)) || !std::isfinite(static_cast<float>(mass))) {
        std::fprintf(stderr,
                     "wobble-scene: stiffness %g and mass %g cannot both be held as "
                     "floats; give smaller constants\n",
                     stiffness, mass);
        return 1;
    }

    const std::string tetText = SceneWriter::TetText(cage.vertices, cage.tetras);
    CheckFile checkFile(tetText);
    if (!checkFile.ok()) {
        std::fprintf(stderr, "wobble-scene: cannot write a temporary file for the check\n");
        return 1;
    }
    StabilityCheck check;
    std::string stiffnessText, massText;
    const bool userFixedBoth = options.stiffnessGiven && options.massGiven;
    bool stable = false;
    for (int attempt = 0;; ++attempt) {
        stiffnessText = Format(stiffness);
        massText = Format(mass);
        stable = check.Run(checkFile.path(), AsLoaded(stiffnessText), AsLoaded(massText),
                           controls.indices);
        if (stable || userFixedBoth || attempt == kMaxSoftenings)
            break;
        std::printf("  check      stiffness %s, mass %s: %s after %d steps; softening\n",
                    stiffnessText.c_str(), massText.c_str(), check.problem.c_str(), check.stepsRun);
        if (!options.massGiven)
            mass = RoundUp(mass * 2.0);
        else
            stiffness = RoundDown(stiffness / 2.0);
    }
    const char* origin = userFixedBoth            ? "as given"
                         : options.stiffnessGiven ? "stiffness given"
                         : options.massGiven      ? "mass given"
                                                  : "chosen";
    std::printf("  constants  stiffness %s, mass %s (%s; stiffness / mass %.3g)\n",
                stiffnessText.c_str(), massText.c_str(), origin,
                AsLoaded(stiffnessText) / AsLoaded(massText));
    if (!stable && !userFixedBoth) {
        ReportInputError(name, 0,
                         "no scene written: the body does not hold together (%s after %d steps "
                         "under full thrust), even with softened constants",
                         check.problem.c_str(), check.stepsRun);
        return 1;
    }
    if (stable) {
        std::printf(
            "  check      %d steps of %.2g under full forward thrust, turning right "
            "from step %d: held together\n",
            StabilityCheck::kSteps, StabilityCheck::kTimeStep, StabilityCheck::kTurnFromStep + 1);
        std::printf(
            "             (largest size %.2f x loaded, at most %.1f %% of tetras "
            "inverted, travelled %.0f)\n",
            check.largestGrowth, 100.0 * check.largestTangle, check.distanceTravelled);
    } else {
        std::printf(
            "  check      warning: with the given constants %s after %d steps under "
            "full thrust; written as given\n",
            check.problem.c_str(), check.stepsRun);
    }

    std::error_code error;
    fs::create_directories(options.outDir, error);
    if (error || !fs::is_directory(options.outDir)) {
        std::fprintf(stderr, "%s: cannot make the output folder: %s\n", options.outDir.c_str(),
                     error ? error.message().c_str() : "a file of that name is in the way");
        return 1;
    }
    const fs::path dir(options.outDir);
    if (!SceneWriter::WriteFile((dir / SceneWriter::kTetName).string(), tetText) ||
        !SceneWriter::WriteFile((dir / SceneWriter::kObjName).string(),
                                SceneWriter::ObjText(surface.vertices, surface.triangles)) ||
        !SceneWriter::WriteFile((dir / SceneWriter::kConfigName).string(),
                                SceneWriter::ConfigText(controls.indices, stiffnessText, massText)))
        return 1;
    const std::string absolute = fs::absolute(dir, error).lexically_normal().string();
    std::printf("  wrote      %s/{config.txt, body.tet, surface.obj}\n", absolute.c_str());
    std::printf("run it with:\n  cd %s && %s\n", ShellWord(absolute).c_str(),
                ProgramCommand().c_str());
    return 0;
}

}  // namespace wobble::scene
