#include "builder/SceneBuilder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "builder/BuildProgress.h"
#include "builder/ControlParticles.h"
#include "builder/ModelFile.h"
#include "builder/PlacedSurface.h"
#include "builder/ProgressBar.h"
#include "builder/SceneWriter.h"
#include "builder/StabilityCheck.h"
#include "builder/VoxelCage.h"
#include "builder/WindingNumberTree.h"
#include "softbody/StabilityLimit.h"
#include "text/InputError.h"

namespace wobble::builder {

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

}  // namespace

double SceneBuilder::RoundUp(double value) {
    const double unit = std::pow(10.0, std::floor(std::log10(value)) - 2.0);
    return std::ceil(value / unit - 1e-9) * unit;
}

double SceneBuilder::RoundDown(double value) {
    const double unit = std::pow(10.0, std::floor(std::log10(value)) - 2.0);
    return std::floor(value / unit + 1e-9) * unit;
}

// The steps. Each returns what it made or why it could not, and prints
// nothing; Run prints the report of each step as soon as it is done.

Result<BuiltScene> SceneBuilder::Build(const std::string& path, double size, int maxSprings,
                                       bool prove) {
    BuiltScene scene;
    Result<ModelFile> model = ReadSurface(path);
    if (!model)
        return model.error();
    if (Status placed = scene.surface.Place(*model, size, path); !placed)
        return placed.error();
    Result<CageStep> cage = BuildCage(scene.surface, maxSprings, path);
    if (!cage)
        return cage.error();
    scene.cage = std::move(*cage);
    Result<ControlParticles> controls = ChooseControls(scene.cage.cage, path);
    if (!controls)
        return controls.error();
    scene.controls = *controls;
    SceneOptions options;
    options.size = size;
    options.maxSprings = maxSprings;
    Result<ConstantsStep> constants = ChooseConstants(
        scene.cage.cage, scene.controls, options, [](const std::string&) {}, nullptr, prove);
    if (!constants)
        return constants.error();
    scene.constants = std::move(*constants);
    return scene;
}

Result<ModelFile> SceneBuilder::ReadSurface(const std::string& path) {
    ModelFile model;
    Status read = model.Load(path);
    if (!read)
        return read.error();
    return model;
}

Result<CageStep> SceneBuilder::BuildCage(PlacedSurface& surface, int maxSprings,
                                         const std::string& name) {
    CageStep step;
    WindingNumberTree winding;
    winding.Build(surface.exactVertices, surface.triangles);
    if (!step.cage.BuildWithinBudget(surface, winding, maxSprings)) {
        return MakeInputError(name, 0,
                              "a spring budget of %d is too small: even the coarsest cage has %d "
                              "springs",
                              maxSprings, step.cage.springCount);
    }
    if (step.cage.springCount > kGridOrderMostSprings)
        step.cage.OrderAlongCurve();
    // The program lights one side of a face only: a surface whose faces run
    // clockwise seen from outside (inside out) would show its dark back.
    if (step.cage.MeanInsideWinding(winding, kOrientationSamples) < -0.5) {
        surface.TurnFacesOutward();
        step.turnedOutward = true;
    }
    return step;
}

Result<ControlParticles> SceneBuilder::ChooseControls(const VoxelCage& cage,
                                                      const std::string& name) {
    ControlParticles controls;
    if (!controls.Choose(cage.vertices))
        return MakeInputError(name, 0, "the cage has fewer than 8 vertices");
    return controls;
}

int SceneBuilder::SubStepsFor(double stiffness, double mass, double lambda) {
    const double limit = StiffnessPerMassLimit(lambda, StabilityCheck::kTimeStep);
    if (!(mass > 0.0) || !std::isfinite(limit) || stiffness <= 0.0)
        return 1;
    const double steps = std::ceil(std::sqrt(stiffness / mass / (kLimitShare * limit)));
    return static_cast<int>(std::clamp(steps, 1.0, double(SceneHandling::kMostSubSteps)));
}

Result<ConstantsStep> SceneBuilder::ChooseConstants(
    const VoxelCage& cage, const ControlParticles& controls, const SceneOptions& options,
    const std::function<void(const std::string&)>& note, const std::function<void(int)>& progress,
    bool prove) {
    ConstantsStep step;
    // The body the program will build from the written model file, which
    // holds every coordinate to the bit.
    TetModel model;
    model.vertices = cage.vertices;
    model.tetras = cage.tetras;
    const double particles = static_cast<double>(cage.vertices.size());
    double lambda = 0.0;
    {
        SoftBody shape;
        if (shape.Build(model, 1.0f, 1.0f, "the cage"))
            lambda = UnitSpringEigenvalue(shape);
    }

    // Chosen where the user left them open.
    double bodyMass = kBodyMass;
    double dampingPerMass = kDampingPerMass;
    double stiffness =
        options.stiffnessGiven ? options.stiffness : RoundUp(kStiffnessPerCell * cage.cellSize);
    double mass = options.massGiven ? options.mass : RoundUp(bodyMass / particles);
    const auto checkFloats = [&]() -> Status {
        if (std::isfinite(static_cast<float>(stiffness)) && std::isfinite(static_cast<float>(mass)))
            return Done{};
        char text[160];
        std::snprintf(text, sizeof text,
                      "stiffness %g and mass %g cannot both be held as floats; give smaller "
                      "constants",
                      stiffness, mass);
        return InputError{"wobble-scene", 0, text};
    };
    const auto settle = [&] {
        step.stiffnessText = Format(stiffness);
        step.massText = Format(mass);
        const float k = AsLoaded(step.stiffnessText), m = AsLoaded(step.massText);
        step.handling.body.subSteps = SubStepsFor(k, m, lambda);
        step.handling.body.relativeDamping = static_cast<float>(dampingPerMass * m);
        step.handling.body.thrustSpread = static_cast<float>(RoundUp(kSpreadShare * options.size));
    };
    if (Status floats = checkFloats(); !floats)
        return floats.error();
    settle();
    const bool userFixedBoth = options.stiffnessGiven && options.massGiven;
    step.origin = userFixedBoth            ? "as given"
                  : options.stiffnessGiven ? "stiffness given"
                  : options.massGiven      ? "mass given"
                                           : "chosen";
    step.userFixedBoth = userFixedBoth;
    if (!prove)
        return step;

    // Retuned while the body handles outside the band: travel goes as one
    // over the body's mass, the turn as one over mass and damping.
    for (;; ++step.retunes) {
        step.feel =
            HandlingCheck::Measure(model, AsLoaded(step.stiffnessText), AsLoaded(step.massText),
                                   step.handling, controls.indices);
        const double travel = HandlingCheck::TravelRatio(step.feel);
        const double turn = HandlingCheck::TurnRatio(step.feel);
        if ((HandlingCheck::InBand(travel) && HandlingCheck::InBand(turn)) ||
            step.retunes == kMaxRetunes || !step.feel.finite || !(travel > 0.0) || !(turn > 0.0))
            break;
        char line[256];
        std::snprintf(line, sizeof line,
                      "travel %.2f and turn %.2f of the sample's are outside %.1f to %.1f; "
                      "retuning",
                      travel, turn, HandlingCheck::kLowest, HandlingCheck::kHighest);
        note(line);
        // A body far outside the band is brought only part of the way at a
        // time: the figures are not quite proportional.
        const auto part = [](double ratio) { return std::clamp(ratio, 0.25, 4.0); };
        if (!options.massGiven) {
            bodyMass *= part(travel);
            mass = RoundUp(bodyMass / particles);
            dampingPerMass *= part(turn / travel);
        } else {
            dampingPerMass *= part(turn);
        }
        if (Status floats = checkFloats(); !floats)
            return floats.error();
        settle();
    }

    int attempt = 0;
    for (;; ++attempt) {
        step.check.handling = step.handling.body;
        step.stable = step.check.Run(model, AsLoaded(step.stiffnessText), AsLoaded(step.massText),
                                     controls.indices, progress);
        if (step.stable || attempt == kMaxSoftenings ||
            step.handling.body.subSteps >= SceneHandling::kMostSubSteps)
            break;
        // Tangled cells need stiffer springs (when the stiffness is ours to
        // choose); a body that blew up, shorter steps.
        const bool stiffen =
            !options.stiffnessGiven && step.check.problem.find("tangled") != std::string::npos;
        char line[256];
        std::snprintf(line, sizeof line,
                      "stiffness %s, mass %s, %d sub-steps: %s after %d frames; %s",
                      step.stiffnessText.c_str(), step.massText.c_str(),
                      step.handling.body.subSteps, step.check.problem.c_str(), step.check.stepsRun,
                      stiffen ? "stiffer springs" : "more sub-steps");
        note(line);
        if (stiffen) {
            stiffness = RoundUp(stiffness * 2.0);
            settle();
        } else {
            step.handling.body.subSteps =
                std::min(2 * step.handling.body.subSteps, SceneHandling::kMostSubSteps);
        }
    }
    // The report tells how the written body handles.
    if (attempt > 0) {
        step.feel =
            HandlingCheck::Measure(model, AsLoaded(step.stiffnessText), AsLoaded(step.massText),
                                   step.handling, controls.indices);
    }
    return step;
}

Result<std::string> SceneBuilder::WriteScene(const std::string& outDir, const VoxelCage& cage,
                                             const PlacedSurface& surface,
                                             const ControlParticles& controls,
                                             const ConstantsStep& constants) {
    std::error_code error;
    fs::create_directories(outDir, error);
    if (error || !fs::is_directory(outDir)) {
        return InputError{outDir, 0,
                          std::string("cannot make the output folder: ") +
                              (error ? error.message() : "a file of that name is in the way")};
    }
    const fs::path dir(outDir);
    const std::pair<const char*, std::string> files[] = {
        {SceneWriter::kTetName, SceneWriter::TetText(cage.vertices, cage.tetras)},
        {SceneWriter::kObjName, SceneWriter::ObjText(surface.vertices, surface.triangles)},
        {SceneWriter::kConfigName,
         SceneWriter::ConfigText(controls.indices, constants.stiffnessText, constants.massText)},
        {SceneHandling::kFileName, HandlingText(constants.handling)},
    };
    for (const auto& [fileName, text] : files) {
        Status written = SceneWriter::WriteFile((dir / fileName).string(), text);
        if (!written)
            return written.error();
    }
    return fs::absolute(dir, error).lexically_normal().string();
}

namespace {

// Prints an error the way the tool reports them: "file:line: problem", or
// "wobble-scene: problem" for one that names no file.
void PrintError(const InputError& error) {
    if (error.file == "wobble-scene") {
        std::fflush(stdout);
        std::fprintf(stderr, "wobble-scene: %s\n", error.message.c_str());
    } else {
        PrintInputError(error);
    }
}

}  // namespace

int SceneBuilder::Run(const SceneOptions& options) {
    const std::string& name = options.surfacePath;
    std::printf("wobble-scene: %s\n", name.c_str());

    Result<ModelFile> model = ReadSurface(name);
    if (!model) {
        PrintError(model.error());
        return 1;
    }
    std::printf(
        "  read       %zu vertices and %d faces (%d with more than three corners), "
        "%zu triangles\n",
        model->vertices.size(), model->faceCount, model->polygonCount, model->triangles.size());
    if (model->shortFaceCount > 0 || model->collapsedTriangleCount > 0) {
        std::printf(
            "             left out: %d faces of fewer than three corners, %d triangles "
            "naming a vertex twice\n",
            model->shortFaceCount, model->collapsedTriangleCount);
    }
    if (model->meshCount > 1) {
        std::printf("             %d meshes merged into one surface, each placed by its node\n",
                    model->meshCount);
    }

    PlacedSurface surface;
    if (Status placed = surface.Place(*model, options.size, name); !placed) {
        PrintError(placed.error());
        return 1;
    }
    const SbVec3d extent = surface.upper - surface.lower;
    std::printf(
        "  surface    scaled by %.4g to %.3g x %.3g x %.3g, centred at x = z = 198, "
        "underside at y = %.3g (water at -1)\n",
        surface.scale, extent[0], extent[1], extent[2], surface.lower[1]);
    if (surface.unusedVertexCount > 0)
        std::printf("             %d vertices no face uses are left out\n",
                    surface.unusedVertexCount);

    ReportProgress(BuildStage::kCage, 0.0);
    Result<CageStep> built = BuildCage(surface, options.maxSprings, name);
    if (!built) {
        PrintError(built.error());
        return 1;
    }
    const VoxelCage& cage = built->cage;
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
    if (built->turnedOutward) {
        std::printf(
            "             the surface was inside out (faces clockwise seen from "
            "outside): its faces are turned\n");
    }
    std::printf("  body       %zu vertices, %zu tetras, %d springs (budget %d)\n",
                cage.vertices.size(), cage.tetras.size(), cage.springCount, options.maxSprings);

    ReportProgress(BuildStage::kTetras, 0.0);
    Result<ControlParticles> controls = ChooseControls(cage, name);
    if (!controls) {
        PrintError(controls.error());
        return 1;
    }
    const SbVec3d& f = controls->forward;
    const int* c = controls->indices;
    std::printf("  control    front %d %d %d %d, rear %d %d %d %d; forward (%.3g, 0, %.3g)\n", c[0],
                c[1], c[2], c[3], c[4], c[5], c[6], c[7], f[0], f[2]);
    std::printf(
        "             body %.3g long and %.3g wide; water body radius %.3g (half the "
        "distance of particles 2 and 3)\n",
        controls->length, controls->width, controls->waterRadius);

    ReportProgress(BuildStage::kTetras, 1.0);
    ProgressBar bar(ProgressBar::Terminal());
    Result<ConstantsStep> constants = ChooseConstants(
        cage, *controls, options,
        [&](const std::string& line) {
            bar.Clear();
            std::printf("  check      %s\n", line.c_str());
        },
        [&](int steps) { bar.Show("check", steps, StabilityCheck::kSteps, "steps"); });
    bar.Clear();
    if (!constants) {
        PrintError(constants.error());
        return 1;
    }
    const ConstantsStep& k = *constants;
    std::printf("  constants  stiffness %s, mass %s (%s; stiffness / mass %.3g)\n",
                k.stiffnessText.c_str(), k.massText.c_str(), k.origin,
                AsLoaded(k.stiffnessText) / AsLoaded(k.massText));
    if (!k.stable && !k.userFixedBoth) {
        PrintInputError(MakeInputError(name, 0,
                                       "no scene written: the body does not hold together (%s "
                                       "after %d frames under full thrust), even with more "
                                       "sub-steps",
                                       k.check.problem.c_str(), k.check.stepsRun));
        return 1;
    }
    const Handling& feel = k.feel;
    std::printf("  handling   %d body step%s a frame, damping %.3g a particle (%s)\n",
                k.handling.body.subSteps, k.handling.body.subSteps == 1 ? "" : "s",
                static_cast<double>(k.handling.body.relativeDamping), SceneHandling::kFileName);
    std::printf(
        "             with Up held %d frames it travels %.1f (%.2f of the sample's %.1f); "
        "with Up and Left it turns %.2f (%.2f of the sample's %.2f)\n",
        HandlingCheck::kFrames, feel.travel, HandlingCheck::TravelRatio(feel),
        HandlingCheck::kSampleTravel, feel.turn, HandlingCheck::TurnRatio(feel),
        HandlingCheck::kSampleTurn);
    std::printf("             its shape gives %.1f %% under thrust and %s\n", 100.0 * feel.give,
                feel.unrest <= HandlingCheck::kMostUnrest ? "settles after release"
                                                          : "is still moving after release");
    if (!HandlingCheck::HandlesLikeTheSample(feel)) {
        std::printf(
            "             warning: it does not handle like the sample (%.1f to %.1f of "
            "its travel and turn)\n",
            HandlingCheck::kLowest, HandlingCheck::kHighest);
    }
    if (k.stable) {
        std::printf(
            "  check      %d frames of %.2g under full forward thrust, turning right "
            "from frame %d: held together\n",
            StabilityCheck::kSteps, StabilityCheck::kTimeStep, StabilityCheck::kTurnFromStep + 1);
        std::printf(
            "             (largest size %.2f x loaded, at most %.1f %% of tetras "
            "inverted, travelled %.0f)\n",
            k.check.largestGrowth, 100.0 * k.check.largestTangle, k.check.distanceTravelled);
    } else {
        std::printf(
            "  check      warning: with the given constants %s after %d frames under "
            "full thrust; written as given\n",
            k.check.problem.c_str(), k.check.stepsRun);
    }

    ReportProgress(BuildStage::kWriting, 0.0);
    Result<std::string> written = WriteScene(options.outDir, cage, surface, *controls, k);
    if (!written) {
        PrintError(written.error());
        return 1;
    }
    ReportProgress(BuildStage::kWriting, 1.0);
    std::printf("  wrote      %s/{config.txt, handling.txt, body.tet, surface.obj}\n",
                written->c_str());
    // A program that runs the tool with --progress runs the scene itself.
    if (options.progress)
        return 0;
    std::printf("run it with:\n  cd %s && %s\n", ShellWord(*written).c_str(),
                ProgramCommand().c_str());
    return 0;
}

}  // namespace wobble::builder
