#pragma once
// Makes a scene of a model file beside the running program: looks for it in
// the cache (app/SceneCache.h) by the file's content, and otherwise runs
// wobble-scene as a child process (app/ChildProcess.h) into the cache, reads
// its progress from the child's output and, if the child crashes or runs past
// its time limit, reports it and ends it. A file that crashes or hangs the
// import library never takes the program down.
//
//   Start(model)  ->  hashing   the file is read and hashed, a piece per Poll
//                 ->  building  wobble-scene MODEL FOLDER --progress runs
//                 ->  done      folder() holds the scene     or  failed: problem()
//
// Poll never waits, so the main loop calls it every frame; Wait waits for the
// end (a replayed drop, the command line). The child's report lines are
// passed on to standard output and its error lines to standard error as they come.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ChildProcess.h"
#include "app/SceneCache.h"

namespace wobble {

struct SceneBuildSettings {
    std::string program;      // the wobble-scene to run; "" when none was found
    std::string cacheFolder;  // SceneCacheFolder(); "": built into a temporary folder
    bool rebuild = false;     // --rebuild: built again, whatever the cache holds
    // A build that takes longer is ended. 0: the model's own budget, which
    // grows with the file (ModelTimeBudget::BuildSeconds): wobble-scene
    // bounds its reading of the file by a part of it and says why it stopped.
    std::chrono::milliseconds timeLimit{0};

    // wobble-scene beside this program (else on PATH), the cache folder, and
    // the time limit in seconds from WOBBLE_BUILD_TIME_LIMIT when it is set.
    static SceneBuildSettings FromEnvironment(bool rebuild);
};

// The wobble-scene beside the running program, else the first on PATH; "" if none.
std::string FindSceneBuilder();

class SceneBuild;
struct AppOptions;

// wobble MODEL: makes the model's scene (or finds it in the cache) before the
// window opens, the builder's report on the terminal as it goes, and runs it
// as the scene folder. False, the reason printed, when none can be made.
// `build` keeps a temporary folder until its Finish.
bool BuildStartupScene(SceneBuild& build, AppOptions& options);

class SceneBuild {
public:
    enum class State { kIdle, kHashing, kBuilding, kDone, kFailed };

    SceneBuild() = default;
    // Cancels a build under way.
    ~SceneBuild();
    SceneBuild(const SceneBuild&) = delete;
    SceneBuild& operator=(const SceneBuild&) = delete;

    // Begins to make a scene of the model file `model` (a regular file),
    // giving up a build under way.
    void Start(const std::string& model, const SceneBuildSettings& settings);
    // Goes as far as it can without waiting.
    void Poll();
    // Goes on until done or failed.
    void Wait();
    // Ends a build under way (its child and its unfinished folder) and goes idle.
    void Cancel();
    // Back to idle once the result has been taken; a temporary folder is removed.
    void Finish();

    State state() const { return state_; }
    bool Active() const { return state_ == State::kHashing || state_ == State::kBuilding; }
    const std::string& model() const { return model_; }
    // While active: the stage ("reading", "cage", "tetras", "stability check",
    // "writing") and the share of the whole build done, from 0 to 1.
    const char* stage() const { return stage_; }
    double fraction() const { return fraction_; }
    // Done: the scene's folder; whether it came from the cache as it was.
    const std::string& folder() const { return folder_; }
    bool fromCache() const { return fromCache_; }
    // Failed: why, in one line that names the model file.
    const std::string& problem() const { return problem_; }
    // Since Start: how long the builder may run, the settings' limit or else
    // the model's own budget (ModelTimeBudget::BuildSeconds of its size).
    std::chrono::milliseconds timeLimit() const;

private:
    void HashSome(size_t most);
    void Launch();
    void TakeLines();
    void Conclude();
    void Fail(const std::string& problem, bool print);
    void RemovePart();

    State state_ = State::kIdle;
    SceneBuildSettings settings_;
    std::string model_;
    std::FILE* file_ = nullptr;  // while hashing
    ContentHash hash_;
    ChildProcess child_;
    std::vector<ChildProcess::Line> lines_;
    std::string lastError_;   // the child's latest line on standard error
    std::string final_;       // the cache entry; "" without a cache
    std::string part_;        // the folder the child writes
    bool temporary_ = false;  // part_ is a temporary folder, removed by Finish
    const char* stage_ = "reading";
    double fraction_ = 0.0;
    std::string folder_;
    bool fromCache_ = false;
    std::string problem_;
};

}  // namespace wobble
