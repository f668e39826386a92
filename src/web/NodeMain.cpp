// wobble-node: the desktop program's headless run under Node, for checking
// that WebAssembly steps the same bits: the same options and files, the same
// loop, the same dump; nothing is drawn.
//
//   node wobble-node.js SCENE_DIR --frames N [--replay FILE] --dump FILE

#include <cstdio>
#include <memory>

#include "app/AppOptions.h"
#include "app/Application.h"
#include "app/HeadlessSeams.h"
#include "app/Replay.h"
#include "app/RunStart.h"

int main(int argc, char** argv) {
    wobble::AppOptions options;
    wobble::Replay replay;
    if (const int status = wobble::StartRun(argc, argv, options, replay); status >= 0)
        return status;
    // What needs a picture or a child process has nothing to work with here.
    if (!options.screenshotFile.empty() || !options.recordDir.empty() ||
        !options.modelFile.empty()) {
        std::fprintf(stderr,
                     "wobble-node: --screenshot, --record and model files need the desktop "
                     "program; give a scene folder\n");
        return wobble::kExitBadCommandLine;
    }
    options.headless = true;
    auto application =
        std::make_unique<wobble::Application>(800, 600, 32, wobble::HeadlessSeams(), options);
    application->SetReplay(std::move(replay));
    if (!application->Initialize())
        return wobble::kExitStartupFailed;
    return application->Run();
}
