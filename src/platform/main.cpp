// wobble: a soft body of tetrahedra steered over water.

#include <dirent.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/AppOptions.h"
#include "app/Application.h"
#include "app/InstalledScene.h"
#include "app/Replay.h"
#include "app/SceneBuild.h"
#include "platform/SdlWindow.h"

namespace {

// False, with the reason on stderr, when `folder` is not a folder that can be read.
bool SceneFolderUsable(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        std::fprintf(stderr, "wobble: cannot enter the scene folder %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return false;
    }
    closedir(dir);
    return true;
}

}  // namespace

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
    if (!options.replayFile.empty()) {
        const wobble::Status loaded = replay.Load(options.replayFile);
        if (!loaded) {
            wobble::PrintInputError(loaded.error());
            return wobble::kExitBadCommandLine;
        }
    }
    // A model given instead of a scene folder is made into one first.
    wobble::SceneBuild startupBuild;
    if (!options.modelFile.empty() && !wobble::BuildStartupScene(startupBuild, options))
        return wobble::kExitStartupFailed;
    wobble::UseInstalledSceneWithoutConfig(options);
    if (!options.sceneDir.empty() && !SceneFolderUsable(options.sceneDir))
        return wobble::kExitStartupFailed;

    auto application = std::make_unique<wobble::Application>(
        800, 600, 32, std::make_unique<wobble::SdlWindow>(options.headless), options);
    application->SetReplay(std::move(replay));
    if (!application->Initialize())
        return wobble::kExitStartupFailed;
    startupBuild.Finish();  // the scene is loaded: a temporary folder can go
    return application->Run();
}
