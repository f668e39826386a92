#pragma once
// The command line. With no arguments the program is the plain demo; the
// options add headless runs, a frame limit, replayed input, a dump of the
// final state, screenshots and recordings; a model file instead of a scene
// folder runs the model's scene.

#include <string>

namespace wobble {

struct AppOptions {
    bool headless = false;       // offscreen GL context of the same size, no visible window
    long long frames = -1;       // end after this many frames; -1: run until quit
    std::string replayFile;      // input events to replay (absolute path once parsed)
    std::string dumpFile;        // state file written after the last frame
    std::string screenshotFile;  // PNG of the last drawn frame
    std::string recordDir;       // every drawn frame as a numbered PNG
    std::string sceneDir;        // run as if started in this folder
    std::string modelFile;       // run the scene of this model file (built or from the cache)
    bool rebuild = false;        // build models' scenes again, whatever the cache holds
};

enum class CommandLineResult { Run, ExitOk, Error };

// Parses the arguments. Paths are made absolute (relative to the working
// directory at start), so that changing into a scene folder keeps them
// meaning what the user meant. A path that is a regular file is a model
// file, unless it is a config.txt, which stands for its folder. --help and --version print and give
// ExitOk; a bad argument prints the problem and the usage on stderr and gives Error.
CommandLineResult ParseCommandLine(int argc, const char* const* argv, AppOptions& options);

// Usage and the key reference, as --help prints them.
std::string UsageText();

extern const char* const kVersionText;

}  // namespace wobble
