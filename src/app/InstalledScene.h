#pragma once
// An installed wobble started where there is no scene runs the sample scene
// installed with it, so that starting it from the application menu (in the
// home folder) shows the demo instead of refusing to start.
//
//   <prefix>/bin/wobble            the running program (/proc/self/exe)
//   <prefix>/share/wobble/         config.txt, body.tet, body.obj
//
// From the build tree there is no such folder, and nothing changes.

#include <string>

#include "app/AppOptions.h"

namespace wobble {

// The sample scene folder installed beside the running program (with a
// config.txt in it), or "" when there is none.
std::string InstalledSceneFolder();

// With no SCENE_DIR given and no config.txt in the working folder: runs the
// installed sample scene, if there is one, saying so in one line on stderr.
// Screenshots and videos still go to the working folder, as always.
void UseInstalledSceneWithoutConfig(AppOptions& options);

}  // namespace wobble
