#include "app/AppOptions.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ScenePath.h"
#include "mesh/ModelTimeBudget.h"

namespace wobble {

const char* const kVersionText = "wobble 1.0.0\n";

std::string UsageText() {
    return "usage: wobble [SCENE_DIR|MODEL] [--headless] [--frames N] [--replay FILE]\n"
           "              [--dump FILE] [--screenshot FILE] [--record DIR|FILE.mp4|FILE.webm]\n"
           "              [--rebuild] [--help] [--version]\n"
           "\n"
           "Runs the soft-body demo on the scene described by config.txt in SCENE_DIR\n"
           "(default: the working directory; an installed wobble started where there is\n"
           "no config.txt runs its sample scene), or on the scene of a model file.\n"
           "\n"
           "  SCENE_DIR          read config.txt and the files it names from this folder\n"
           "  MODEL              make a scene of this model file with wobble-scene and run it;\n"
           "                     formats: STL, PLY, glTF and GLB, FBX, 3DS, DAE (Collada), OBJ\n"
           "                     and the other formats of the Open Asset Import Library. The\n"
           "                     scene is kept in ~/.cache/wobble (XDG_CACHE_HOME), so the same\n"
           "                     model starts at once the next time. Dropping a model file (or\n"
           "                     a scene folder) on the window runs it the same way, while the\n"
           "                     scene before runs on until the new one is built\n"
           "  --headless         no visible window: an offscreen OpenGL context of the same size\n"
           "  --frames N         end after frame N (0: start-up only)\n"
           "  --replay FILE      replay input events from FILE, in addition to the real devices:\n"
           "                     one a line, '<frame> down|up <key>', '<frame> mouse DX DY',\n"
           "                     '<frame> cursor X Y' (window pixels from the top left),\n"
           "                     '<frame> button left|middle|right down|up', '<frame> close',\n"
           "                     '<frame> pad button NAME down|up', '<frame> pad axis NAME V'\n"
           "                     (SDL's names of a gamepad's buttons and axes, V from -1 to 1)\n"
           "  --dump FILE        after the last frame, write the simulation state to FILE\n"
           "  --screenshot FILE  after the last frame, write the last drawn frame to FILE (PNG)\n"
           "  --record DIR       write every drawn frame to DIR as frame-000001.png, ...\n"
           "  --record FILE.mp4  record every drawn frame as a video at 60 frames a second\n"
           "                     (H.264; FILE.webm: VP9) with the ffmpeg program\n"
           "  --rebuild          build models' scenes again, whatever the cache holds\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "A model's build that takes longer than WOBBLE_BUILD_TIME_LIMIT seconds (default:\n" +
           ModelTimeBudget::BuildText() +
           " of the model file) is ended.\n"
           "\n"
           "Keys:\n"
           "  Up / Down          thrust forward / backward (released: the thrust decays)\n"
           "  Left / Right       turn left / right\n"
           "  W S A D            move the free camera; W and S zoom a following camera\n"
           "  mouse              turn (and tilt) the camera\n"
           "  left button        on the body: grab it and pull it while held (the view holds\n"
           "                     still); on the water: poke it\n"
           "  C (hold)           next camera mode every 7 frames: orbit, free, behind, side, "
           "front\n"
           "  M                  dressed surface or red tetrahedron wireframe\n"
           "  B or keypad 2      pump the body up (hold)\n"
           "  Z or F11           splash the water (hold)\n"
           "  T or F5            fullscreen on or off\n"
           "  P                  pause or resume the simulation\n"
           "  O                  while paused: advance one frame\n"
           "  R                  reset the scene to its start\n"
           "  F12                screenshot into the working directory\n"
           "  F9                 start or stop a video (wobble-0001.mp4, ...) in the working\n"
           "                     directory; a red dot shows while it records\n"
           "  F1                 show or hide the overview (keys, speed, thrusts, camera)\n"
           "  Tab                show or hide the panel: timings, sliders for stiffness, mass,\n"
           "                     thrust cap, pump, time steps and grab strength, live plots\n"
           "  Escape             quit\n"
           "\n"
           "Gamepad (the first attached steers; it acts as the keys it stands for):\n"
           "  left stick, D-pad  the arrows: thrust and turn (a stick past a quarter of its\n"
           "                     travel holds its arrow down)\n"
           "  right stick        turn and tilt the camera, as the mouse does\n"
           "  A                  splash (Z)          B      pump (B)\n"
           "  X                  surface/wireframe (M)  Y   next camera mode (C)\n"
           "  Start              pause (P)           Back   reset (R)\n"
           "  right shoulder     one step (O)        left shoulder  panel (Tab)\n";
}

namespace {

bool Fail(const std::string& message) {
    std::fprintf(stderr, "wobble: %s\n%s", message.c_str(), UsageText().c_str());
    return false;
}

std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr)
        return path;
    return std::string(cwd) + "/" + path;
}

bool ParseFrames(const char* text, long long& frames) {
    // Digits only: strtoll would also skip leading white space and take a
    // sign behind it, and " -3" would run without a limit.
    if (*text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    frames = value;
    return true;
}

}  // namespace

CommandLineResult ParseCommandLine(int argc, const char* const* argv, AppOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return Fail(arg + " needs a value");
            out = argv[++i];
            if (out.empty())
                return Fail(arg + " needs a value that is not empty");
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(UsageText().c_str(), stdout);
            return CommandLineResult::ExitOk;
        } else if (arg == "--version") {
            std::fputs(kVersionText, stdout);
            return CommandLineResult::ExitOk;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--rebuild") {
            options.rebuild = true;
        } else if (arg == "--frames") {
            if (i + 1 >= argc) {
                Fail("--frames needs a value");
                return CommandLineResult::Error;
            }
            if (!ParseFrames(argv[++i], options.frames)) {
                Fail(std::string("--frames takes a whole number of 0 or more, not '") + argv[i] +
                     "'");
                return CommandLineResult::Error;
            }
        } else if (arg == "--replay" || arg == "--dump" || arg == "--screenshot" ||
                   arg == "--record") {
            std::string path;
            if (!value(path))
                return CommandLineResult::Error;
            path = Absolute(path);
            if (arg == "--replay")
                options.replayFile = path;
            if (arg == "--dump")
                options.dumpFile = path;
            if (arg == "--screenshot")
                options.screenshotFile = path;
            if (arg == "--record")
                options.recordDir = path;
        } else if (!arg.empty() && arg[0] == '-') {
            Fail("unknown option '" + arg + "'");
            return CommandLineResult::Error;
        } else if (options.sceneDir.empty() && options.modelFile.empty()) {
            const ScenePath what = ClassifyScenePath(Absolute(arg));
            if (what.kind == ScenePath::Kind::kModelFile)
                options.modelFile = what.model;
            else if (what.kind == ScenePath::Kind::kSceneFolder)
                options.sceneDir = what.folder;
            else
                options.sceneDir = Absolute(arg);  // start-up says why it cannot be entered
        } else if (!options.modelFile.empty()) {
            Fail("only one model file or scene folder can be given ('" + options.modelFile +
                 "' and '" + arg + "')");
            return CommandLineResult::Error;
        } else {
            Fail("only one scene folder can be given ('" + options.sceneDir + "' and '" + arg +
                 "')");
            return CommandLineResult::Error;
        }
    }
    return CommandLineResult::Run;
}

}  // namespace wobble
