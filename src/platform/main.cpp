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
#include "app/RunStart.h"
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
    wobble::AppOptions options;
    wobble::Replay replay;
    if (const int status = wobble::StartRun(argc, argv, options, replay); status >= 0)
        return status;
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
