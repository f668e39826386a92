#pragma once
// A file or folder dropped on the window (or a replayed drop) becomes the
// running scene: a scene folder (or its config.txt) is loaded at once, a
// model's scene is built beside the frames (app/SceneBuild.h) and loaded
// when done. What cannot be run leaves the running scene as it is and says
// why. Meanwhile the status panel at the bottom of the window shows the
// build's progress or the refusal.

#include <memory>
#include <string>

#include "app/SceneBuild.h"
#include "app/StatusPanel.h"
#include "render/DisplaySettings.h"
#include "scene/Scene.h"
#include "text/InputError.h"

namespace wobble {

class SceneDrops {
public:
    // `rebuild`: models' scenes are built again whatever the cache holds.
    SceneDrops(const DisplaySettings& display, bool rebuild)
        : display_(display), rebuild_(rebuild) {}

    // A dropped path; `wait` waits for a model's build, so that a replayed
    // drop acts before the next frame.
    void Drop(const std::string& path, bool wait);
    // Once a frame: the build's progress, and a refusal's time on screen.
    void Poll();
    // A scene a drop has loaded, ready to take over from the running one;
    // null when there is none.
    std::unique_ptr<Scene> TakeScene() { return std::move(ready_); }

    // What the panel at the bottom shows (empty: nothing).
    const StatusPanel& status() const { return statusPanel_; }

    // Frames a refusal stays on screen: five seconds at 60 frames a second.
    static constexpr int kProblemFrames = 300;

private:
    void PollBuild();
    void TakeBuiltScene();
    // Loads `folder` into ready_; on failure the problem, for the window.
    Status LoadScene(const std::string& folder);
    void ShowProblem(const std::string& problem, const std::string& subject);
    void ShowBuildProgress();

    const DisplaySettings& display_;
    bool rebuild_ = false;
    SceneBuild build_;          // the scene of a dropped model, in the making
    bool buildWaited_ = false;  // its drop was replayed: the frames wait for it
    std::unique_ptr<Scene> ready_;
    StatusPanel statusPanel_;  // what the panel at the bottom shows
    int shownPercent_ = -1;    // of the build, as the panel shows it
    int problemFramesLeft_ = 0;
};

}  // namespace wobble
