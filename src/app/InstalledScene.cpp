#include "app/InstalledScene.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

// Where the sample scene is installed, relative to the folder of the installed
// program; the build computes it from the install folders.
#ifndef WOBBLE_SCENE_FROM_BINDIR
#define WOBBLE_SCENE_FROM_BINDIR "../share/wobble"
#endif

namespace wobble {

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string InstalledSceneFolder() {
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return "";
    exe[length] = '\0';
    std::string folder(exe);
    folder.erase(folder.rfind('/') + 1);  // readlink gives an absolute path
    folder += WOBBLE_SCENE_FROM_BINDIR;
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr)
        return "";
    const std::string scene(resolved);
    return Exists(scene + "/config.txt") ? scene : "";
}

void UseInstalledSceneWithoutConfig(AppOptions& options) {
    struct stat info;
    if (!options.sceneDir.empty() || stat("config.txt", &info) == 0 || errno != ENOENT)
        return;
    const std::string scene = InstalledSceneFolder();
    if (scene.empty())
        return;
    options.sceneDir = scene;
    std::fprintf(stderr, "wobble: no config.txt here: running the sample scene in %s\n",
                 scene.c_str());
}

}  // namespace wobble
