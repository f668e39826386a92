// wobble: a soft body of tetrahedra steered over water.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/AppOptions.h"
#include "app/Application.h"
#include "app/InstalledScene.h"
#include "app/Replay.h"

int main(int argc, char** argv) {
    // Line by line, so that progress appears as it happens and in order with
    // the error lines on stderr, even when the console is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    wobble::AppOptions options;
    switch (wobble::ParseCommandLine(argc, argv, options)) {
        case wobble::CommandLineResult::ExitOk:
            return wobble::kExitOk;
        case wobble::CommandLineResult::Error:
            return wobble::kExitBadCommandLine;
        case wobble::CommandLineResult::Run:
            break;
    }

    // A replay file is read whole before anything starts: a bad one is refused
    // before any frame runs.
    wobble::Replay replay;
    if (!options.replayFile.empty() && !replay.Load(options.replayFile)) {
        return wobble::kExitBadCommandLine;
    }
    wobble::UseInstalledSceneWithoutConfig(options);
    if (!options.sceneDir.empty() && chdir(options.sceneDir.c_str()) != 0) {
        std::fprintf(stderr, "wobble: cannot enter the scene folder %s: %s\n",
                     options.sceneDir.c_str(), std::strerror(errno));
        return wobble::kExitStartupFailed;
    }

    auto application = std::make_unique<wobble::Application>(800, 600, 32, options);
    application->SetReplay(std::move(replay));
    if (!application->Initialize())
        return wobble::kExitStartupFailed;
    return application->Run();
}
