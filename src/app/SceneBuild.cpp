#include "app/SceneBuild.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/AppOptions.h"
#include "app/ScenePath.h"
#include "mesh/ModelTimeBudget.h"

namespace wobble {

namespace fs = std::filesystem;

namespace {

// Hashing reads this much of the model file per Poll: a few milliseconds of a frame.
constexpr size_t kHashPerPoll = 4u << 20;

// The builder runs at a lower priority than the frame loop it runs beside.
constexpr int kBuilderNiceness = 10;

// The stages of wobble-scene --progress, their names here and their share of
// a typical build's time (the stability check is most of it).
struct Stage {
    const char* progressName;
    const char* shownName;
    double share;
};
constexpr Stage kStages[] = {
    {"reading", "reading", 0.15},       {"cage", "cage", 0.15},       {"tetras", "tetras", 0.05},
    {"check", "stability check", 0.60}, {"writing", "writing", 0.05},
};

bool IsExecutableFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindSceneBuilder() {
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length > 0) {
        exe[length] = '\0';
        const std::string beside = fs::path(exe).parent_path() / "wobble-scene";
        if (IsExecutableFile(beside))
            return beside;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        // An empty entry would mean the working folder: never looked in.
        if (!folder.empty() && folder[0] == '/' && IsExecutableFile(folder + "/wobble-scene"))
            return folder + "/wobble-scene";
        start = end + 1;
    }
    return "";
}

SceneBuildSettings SceneBuildSettings::FromEnvironment(bool rebuild) {
    SceneBuildSettings settings;
    settings.program = FindSceneBuilder();
    settings.cacheFolder = SceneCacheFolder();
    settings.rebuild = rebuild;
    if (const char* limit = std::getenv("WOBBLE_BUILD_TIME_LIMIT")) {
        char* end = nullptr;
        const double seconds = std::strtod(limit, &end);
        if (end != limit && *end == '\0' && std::isfinite(seconds) && seconds > 0.0 &&
            seconds < 1e6) {
            settings.timeLimit = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
        } else {
            std::fprintf(stderr,
                         "wobble: WOBBLE_BUILD_TIME_LIMIT '%s' is not a number of seconds; "
                         "the limit stays the one the model's size gives\n",
                         limit);
        }
    }
    return settings;
}

SceneBuild::~SceneBuild() {
    Cancel();
}

void SceneBuild::Start(const std::string& model, const SceneBuildSettings& settings) {
    Cancel();
    settings_ = settings;
    model_ = model;
    hash_ = ContentHash();
    lastError_.clear();
    final_.clear();
    part_.clear();
    temporary_ = false;
    stage_ = kStages[0].shownName;
    fraction_ = 0.0;
    folder_.clear();
    fromCache_ = false;
    problem_.clear();
    // Opening a named pipe or a device could wait for ever or never end.
    std::error_code error;
    if (!fs::is_regular_file(model, error)) {
        Fail(model + ": not a model file (" +
                 (error ? error.message() : std::string("not a regular file")) + ")",
             true);
        return;
    }
    file_ = std::fopen(model.c_str(), "rb");
    if (file_ == nullptr) {
        Fail(model + ": cannot read the model file: " + std::strerror(errno), true);
        return;
    }
    state_ = State::kHashing;
}

void SceneBuild::Poll() {
    if (state_ == State::kHashing)
        HashSome(kHashPerPoll);
    if (state_ == State::kBuilding) {
        child_.Poll(lines_);
        TakeLines();
        if (child_.ending() != ChildProcess::Ending::kRunning)
            Conclude();
    }
}

void SceneBuild::Wait() {
    while (Active()) {
        if (state_ == State::kHashing)
            HashSome(SIZE_MAX);
        if (state_ == State::kBuilding) {
            child_.Wait(lines_, std::chrono::milliseconds(200));
            TakeLines();
            if (child_.ending() != ChildProcess::Ending::kRunning)
                Conclude();
        }
    }
}

void SceneBuild::HashSome(size_t most) {
    static char buffer[1 << 16];
    size_t done = 0;
    while (done < most) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file_);
        hash_.Add(buffer, n);
        done += n;
        if (n < sizeof buffer)
            break;
    }
    if (done >= most)
        return;
    const bool failed = std::ferror(file_) != 0;
    const int readError = errno;
    std::fclose(file_);
    file_ = nullptr;
    if (failed) {
        Fail(model_ + ": cannot read the model file: " + std::strerror(readError), true);
        return;
    }
    Launch();
}

void SceneBuild::Launch() {
    const std::string key = SceneCacheKey(hash_);
    std::error_code error;
    if (!settings_.cacheFolder.empty()) {
        final_ = settings_.cacheFolder + "/" + key;
        if (!settings_.rebuild && fs::exists(final_ + "/config.txt", error)) {
            folder_ = final_;
            fromCache_ = true;
            state_ = State::kDone;
            std::printf("wobble: the scene of %s was built before, in %s\n",
                        Printable(model_).c_str(), Printable(folder_).c_str());
            return;
        }
    }
    if (settings_.program.empty()) {
        Fail("wobble-scene is neither beside wobble nor on PATH: no scene can be made of " + model_,
             true);
        return;
    }
    bool cacheUsable = false;
    if (!final_.empty()) {
        fs::create_directories(settings_.cacheFolder, error);
        cacheUsable = fs::is_directory(settings_.cacheFolder, error);
    }
    if (cacheUsable) {
        static int builds = 0;
        part_ = final_ + ".part-" + std::to_string(getpid()) + "-" + std::to_string(++builds);
    } else {
        // No cache to build into: a temporary folder, removed once the scene is loaded.
        final_.clear();
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/wobble-scene-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            Fail("no folder to build the scene of " + model_ + " in: " + std::strerror(errno),
                 true);
            return;
        }
        part_ = pattern;
        temporary_ = true;
    }
    const Status started =
        child_.Start(settings_.program, {model_, part_, "--progress"}, timeLimit());
    if (!started) {
        RemovePart();
        Fail(started.error().message + ": no scene can be made of " + model_, true);
        return;
    }
    setpriority(PRIO_PROCESS, static_cast<id_t>(child_.pid()), kBuilderNiceness);
    state_ = State::kBuilding;
}

std::chrono::milliseconds SceneBuild::timeLimit() const {
    if (settings_.timeLimit.count() > 0)
        return settings_.timeLimit;
    std::error_code error;
    const uintmax_t bytes = fs::file_size(model_, error);
    const double seconds = ModelTimeBudget::BuildSeconds(error ? 0 : bytes);
    return std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000.0)));
}

void SceneBuild::TakeLines() {
    for (const ChildProcess::Line& line : lines_) {
        if (line.fromStderr) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", Printable(line.text).c_str());
            lastError_ = line.text;
            continue;
        }
        char name[16];
        double fraction = 0.0;
        if (std::sscanf(line.text.c_str(), "progress %15s %lf", name, &fraction) == 2) {
            double before = 0.0;
            for (const Stage& s : kStages) {
                if (std::strcmp(name, s.progressName) == 0 && std::isfinite(fraction)) {
                    stage_ = s.shownName;
                    fraction_ = before + s.share * std::clamp(fraction, 0.0, 1.0);
                }
                before += s.share;
            }
            continue;
        }
        std::printf("%s\n", Printable(line.text).c_str());
    }
    lines_.clear();
}

void SceneBuild::Conclude() {
    const bool made = child_.ending() == ChildProcess::Ending::kExited && child_.exitCode() == 0 &&
                      fs::exists(part_ + "/config.txt");
    if (!made) {
        RemovePart();
        const bool exited = child_.ending() == ChildProcess::Ending::kExited;
        if (exited && lastError_.find(model_) != std::string::npos) {
            // wobble-scene has said why, on standard error, naming the file.
            Fail(lastError_, false);
        } else if (exited && child_.exitCode() == 0 && lastError_.empty()) {
            Fail("wobble-scene ended without writing a scene of " + model_, true);
        } else {
            Fail("wobble-scene " + child_.EndingText() + " making a scene of " + model_, true);
        }
        return;
    }
    folder_ = part_;
    if (!final_.empty()) {
        std::error_code error;
        fs::remove_all(final_, error);  // an older build, with --rebuild
        fs::rename(part_, final_, error);
        if (!error) {
            folder_ = final_;
            part_.clear();
        } else if (fs::exists(final_ + "/config.txt", error)) {
            // Another wobble built the same model meanwhile.
            RemovePart();
            folder_ = final_;
        }
        if (std::FILE* note = std::fopen((folder_ + "/model.txt").c_str(), "w")) {
            std::fprintf(note, "%s\n", model_.c_str());
            std::fclose(note);
        }
    }
    state_ = State::kDone;
    std::printf("wobble: the scene of %s is built, in %s\n", Printable(model_).c_str(),
                Printable(folder_).c_str());
}

void SceneBuild::Fail(const std::string& problem, bool print) {
    problem_ = problem;
    if (print) {
        std::fflush(stdout);
        std::fprintf(stderr, "wobble: %s\n", Printable(problem).c_str());
    }
    state_ = State::kFailed;
}

void SceneBuild::RemovePart() {
    if (part_.empty())
        return;
    std::error_code error;
    fs::remove_all(part_, error);
    part_.clear();
}

void SceneBuild::Cancel() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    child_.Kill();
    lines_.clear();
    if (Active())
        RemovePart();
    Finish();
}

void SceneBuild::Finish() {
    if (temporary_ && state_ == State::kDone)
        RemovePart();
    temporary_ = false;
    state_ = State::kIdle;
}

bool BuildStartupScene(SceneBuild& build, AppOptions& options) {
    build.Start(options.modelFile, SceneBuildSettings::FromEnvironment(options.rebuild));
    build.Wait();
    if (build.state() != SceneBuild::State::kDone)
        return false;
    options.sceneDir = build.folder();
    return true;
}

}  // namespace wobble
