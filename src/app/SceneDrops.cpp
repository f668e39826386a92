
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/SceneDrops.h"

#include "app/ScenePath.h"

namespace wobble {

namespace {

// "file:line: problem" of a refusal, for the window; the scene's files are
// named from the folder they were read in.
std::string Describe(const InputError& error, const std::string& folder) {
    if (!error.Explained())
        return folder + ": the scene could not be loaded";
    const std::string file = error.file.empty() || error.file[0] == '/'
                                 ? error.file
                                 : (std::filesystem::path(folder) / error.file).string();
    return file + (error.line > 0 ? ":" + std::to_string(error.line) : "") + ": " + error.message;
}

// `text` cut into lines of at most `columns` characters, at spaces where it can be.
int WrapInto(const std::string& text, int columns, std::string* lines, int most) {
    int count = 0;
    size_t at = 0;
    while (at < text.size() && count < most) {
        size_t end = std::min(text.size(), at + static_cast<size_t>(columns));
        if (end < text.size()) {
            const size_t space = text.rfind(' ', end);
            if (space != std::string::npos && space > at)
                end = space;
        }
        lines[count++] = text.substr(at, end - at);
        at = text.find_first_not_of(' ', end);
        if (at == std::string::npos)
            break;
    }
    return count;
}

std::string FileName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

}  // namespace

void SceneDrops::Drop(const std::string& path, bool wait) {
    if (build_.Active()) {
        std::printf("wobble: the scene of %s is given up for %s\n",
                    Printable(build_.model()).c_str(), Printable(path).c_str());
        build_.Cancel();
    }
    const ScenePath what = ClassifyScenePath(path);
    switch (what.kind) {
        case ScenePath::Kind::kUnusable:
            std::fflush(stdout);
            std::fprintf(stderr, "wobble: %s\n", Printable(what.problem).c_str());
            ShowProblem(what.problem, path);
            break;
        case ScenePath::Kind::kSceneFolder: {
            const Status loaded = LoadScene(what.folder);
            if (loaded) {
                statusPanel_ = StatusPanel();
                problemFramesLeft_ = 0;
            } else {
                ShowProblem(loaded.error().message, path);
            }
            break;
        }
        case ScenePath::Kind::kModelFile:
            buildWaited_ = wait;
            build_.Start(what.model, SceneBuildSettings::FromEnvironment(rebuild_));
            if (wait)
                build_.Wait();
            PollBuild();
            break;
    }
}

void SceneDrops::Poll() {
    PollBuild();
    if (problemFramesLeft_ > 0 && --problemFramesLeft_ == 0)
        statusPanel_ = StatusPanel();
}

void SceneDrops::PollBuild() {
    if (build_.state() == SceneBuild::State::kIdle)
        return;
    build_.Poll();
    switch (build_.state()) {
        case SceneBuild::State::kDone:
            TakeBuiltScene();
            break;
        case SceneBuild::State::kFailed:
            // SceneBuild or wobble-scene has printed why.
            ShowProblem(build_.problem(), build_.model());
            build_.Finish();
            break;
        default:
            ShowBuildProgress();
            break;
    }
}

void SceneDrops::TakeBuiltScene() {
    const std::string model = build_.model();
    const Status loaded = LoadScene(build_.folder());
    if (loaded) {
        statusPanel_ = StatusPanel();
        problemFramesLeft_ = 0;
        build_.Finish();
        return;
    }
    if (build_.fromCache()) {
        // A damaged cache entry is built again rather than left in the way.
        std::printf("wobble: the scene of %s kept in the cache does not load: building it again\n",
                    Printable(model).c_str());
        SceneBuildSettings settings = SceneBuildSettings::FromEnvironment(rebuild_);
        settings.rebuild = true;
        build_.Start(model, settings);
        if (buildWaited_)
            build_.Wait();
        PollBuild();
        return;
    }
    ShowProblem(loaded.error().message, model);
    build_.Finish();
}

Status SceneDrops::LoadScene(const std::string& folder) {
    auto next = std::make_unique<Scene>();
    // Load prints its console lines, and its refusal on stderr.
    const Status loaded = next->Load(folder);
    if (!loaded) {
        std::fflush(stdout);
        std::fprintf(stderr, "wobble: no scene loaded from %s: the running scene stays\n",
                     Printable(folder).c_str());
        // The loader's line names its file, but not always the folder.
        return InputError{folder, 0, Describe(loaded.error(), folder)};
    }
    ready_ = std::move(next);
    return Done{};
}

void SceneDrops::ShowProblem(const std::string& problem, const std::string& subject) {
    // The window names the file without its folders; stderr has the whole path.
    std::string text = problem;
    if (!subject.empty() && text.rfind(subject, 0) == 0)
        text = FileName(subject) + text.substr(subject.size());
    statusPanel_ = StatusPanel();
    statusPanel_.isError = true;
    statusPanel_.lines[0] = "No scene made of " + FileName(subject) + ": the scene runs on";
    statusPanel_.lineCount = 1 + WrapInto(text, StatusPanelColumns(display_),
                                          statusPanel_.lines + 1, StatusPanel::kMaxLines - 1);
    problemFramesLeft_ = kProblemFrames;
    shownPercent_ = -1;
}

void SceneDrops::ShowBuildProgress() {
    const int percent = static_cast<int>(build_.fraction() * 100.0);
    if (statusPanel_.barFraction >= 0.0f && percent == shownPercent_)
        return;
    shownPercent_ = percent;
    statusPanel_ = StatusPanel();
    problemFramesLeft_ = 0;
    statusPanel_.lines[0] = "Building a scene of " + FileName(build_.model());
    statusPanel_.lines[1] = std::string(build_.stage()) + "  " + std::to_string(percent) + " %";
    statusPanel_.lineCount = 2;
    statusPanel_.barFraction = static_cast<float>(build_.fraction());
}

}  // namespace wobble
