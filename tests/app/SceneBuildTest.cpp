// Making a scene of a model file beside the main loop: what a dropped path
// stands for, the cache, the real wobble-scene run as a child, and builders
// that crash, hang or are missing.

#include "app/SceneBuild.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "app/ScenePath.h"
#include "mesh/ModelTimeBudget.h"

namespace wobble {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using State = SceneBuild::State;

using test::kCubeObj;

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(ScenePath, FoldersAndConfigFilesAreScenesOtherFilesModels) {
    test::ScratchDir dir;
    const std::string config = dir.Write("config.txt", "version 0.1\n");
    const std::string model = dir.Write("thing.stl", "solid\n");
    ASSERT_EQ(mkfifo(dir.Path("pipe").c_str(), 0600), 0);

    ScenePath what = ClassifyScenePath(dir.path());
    EXPECT_EQ(what.kind, ScenePath::Kind::kSceneFolder);
    EXPECT_EQ(what.folder, dir.path());
    what = ClassifyScenePath(config);
    EXPECT_EQ(what.kind, ScenePath::Kind::kSceneFolder);
    EXPECT_EQ(what.folder, dir.path());
    what = ClassifyScenePath(model);
    EXPECT_EQ(what.kind, ScenePath::Kind::kModelFile);
    EXPECT_EQ(what.model, model);
    what = ClassifyScenePath(dir.Path("missing.obj"));
    EXPECT_EQ(what.kind, ScenePath::Kind::kUnusable);
    EXPECT_EQ(what.problem, dir.Path("missing.obj") + ": No such file or directory");
    // Reading a named pipe could wait for ever.
    what = ClassifyScenePath(dir.Path("pipe"));
    EXPECT_EQ(what.kind, ScenePath::Kind::kUnusable);
    EXPECT_NE(what.problem.find("neither a model file nor a scene folder"), std::string::npos);
    // A hostile name cannot steer the terminal it is printed on.
    EXPECT_EQ(Printable("ship\x1b[2J.stl\n"), "ship\\x1b[2J.stl\\x0a");
}

TEST(SceneCache, FolderFollowsXdgThenHomeAndHashIsFnv1a) {
    {
        ScopedEnv xdg("XDG_CACHE_HOME", "/x/cache");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(SceneCacheFolder(), "/x/cache/wobble/scenes-2");
    }
    {
        ScopedEnv xdg("XDG_CACHE_HOME", "relative/cache");  // not to be used
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(SceneCacheFolder(), "/home/someone/.cache/wobble/scenes-2");
    }
    {
        ScopedEnv xdg("XDG_CACHE_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        EXPECT_EQ(SceneCacheFolder(), "");
    }
    // The published FNV-1a 64 values, taken whole and in pieces.
    ContentHash empty, a, foobar;
    a.Add("a", 1);
    foobar.Add("foo", 3);
    foobar.Add("bar", 3);
    EXPECT_EQ(SceneCacheKey(empty), "cbf29ce484222325-0");
    EXPECT_EQ(SceneCacheKey(a), "af63dc4c8601ec8c-1");
    EXPECT_EQ(SceneCacheKey(foobar), "85944171f73967e8-6");
}

class SceneBuildTest : public ::testing::Test {
protected:
    // The environment's time limit, if any (the sanitizers' runs set a long
    // one), with the test's builder and cache.
    SceneBuildSettings Settings() {
        SceneBuildSettings settings = SceneBuildSettings::FromEnvironment(false);
        settings.program = WOBBLE_SCENE_BINARY;
        settings.cacheFolder = cache.Path("scenes");
        return settings;
    }
    // Runs a build to its end, its console captured.
    void Build(SceneBuild& build, const std::string& model, const SceneBuildSettings& settings) {
        out = test::CaptureStdout([&] {
            err = test::CaptureStderr([&] {
                build.Start(model, settings);
                build.Wait();
            });
        });
    }
    // A builder that is a shell script.
    std::string FakeBuilder(const std::string& name, const std::string& script) {
        const std::string path = dir.Write(name, "#!/bin/sh\n" + script + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }

    std::string CubeModel() const { return dir.Write("cube.obj", kCubeObj); }

    test::ScratchDir dir;
    test::ScratchDir cache;
    std::string out, err;
};

TEST_F(SceneBuildTest, AModelIsBuiltIntoTheCacheOnceAndFoundThereByItsContent) {
    const std::string model = dir.Write("cube.obj", kCubeObj);
    SceneBuild build;
    Build(build, model, Settings());
    ASSERT_EQ(build.state(), State::kDone) << err;
    EXPECT_FALSE(build.fromCache());
    EXPECT_EQ(err, "");
    // The builder's report is passed on; its progress lines are not.
    EXPECT_NE(out.find("held together"), std::string::npos) << out;
    EXPECT_EQ(out.find("progress "), std::string::npos) << out;
    ContentHash hash;
    hash.Add(kCubeObj, std::string(kCubeObj).size());
    const std::string entry = Settings().cacheFolder + "/" + SceneCacheKey(hash);
    EXPECT_EQ(build.folder(), entry);
    EXPECT_TRUE(fs::exists(entry + "/config.txt"));
    EXPECT_EQ(test::ReadWholeFile(entry + "/model.txt"), model + "\n");
    EXPECT_EQ(Entries(Settings().cacheFolder), std::vector<std::string>{SceneCacheKey(hash)});

    // The same bytes under another name: at once, without a builder.
    const std::string copy = dir.Write("renamed.obj", kCubeObj);
    SceneBuildSettings noBuilder = Settings();
    noBuilder.program = "";
    Build(build, copy, noBuilder);
    ASSERT_EQ(build.state(), State::kDone) << err;
    EXPECT_TRUE(build.fromCache());
    EXPECT_EQ(build.folder(), entry);
    EXPECT_NE(out.find("was built before"), std::string::npos) << out;

    // --rebuild builds again into the same place.
    SceneBuildSettings rebuild = Settings();
    rebuild.rebuild = true;
    Build(build, copy, rebuild);
    ASSERT_EQ(build.state(), State::kDone) << err;
    EXPECT_FALSE(build.fromCache());
    EXPECT_EQ(build.folder(), entry);
    EXPECT_EQ(Entries(Settings().cacheFolder).size(), 1u);
}

TEST_F(SceneBuildTest, WithoutACacheTheSceneIsBuiltInATemporaryFolderRemovedAfterwards) {
    const std::string model = dir.Write("cube.obj", kCubeObj);
    SceneBuildSettings settings = Settings();
    settings.cacheFolder = "";
    SceneBuild build;
    Build(build, model, settings);
    ASSERT_EQ(build.state(), State::kDone) << err;
    const std::string folder = build.folder();
    EXPECT_TRUE(fs::exists(folder + "/config.txt"));
    build.Finish();
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(SceneBuildTest, WhatCannotBeBuiltIsSaidOnceAndLeavesNothingBehind) {
    struct Case {
        std::string program;  // "": the real builder
        std::string model;
        const char* problem;
    };
    const std::string flat = dir.Write("flat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string cube = dir.Write("cube.obj", kCubeObj);
    const Case cases[] = {
        {"", flat, "flat.obj: the model is flat"},
        {"", dir.Write("garbage.stl", std::string(300, '\x7f')), "garbage.stl: cannot read"},
        {FakeBuilder("crashing", "kill -SEGV $$"), cube,
         "wobble-scene died of signal 11 (Segmentation fault) making a scene of "},
        {FakeBuilder("writing-nothing", "echo 'progress cage 0.5'; exit 0"), cube,
         "wobble-scene ended without writing a scene of "},
        {"none", cube, "wobble-scene is neither beside wobble nor on PATH"},
        {"", dir.path(), "not a model file"},
    };
    for (const Case& c : cases) {
        SceneBuildSettings settings = Settings();
        if (!c.program.empty())
            settings.program = c.program == "none" ? "" : c.program;
        SceneBuild build;
        Build(build, c.model, settings);
        EXPECT_EQ(build.state(), State::kFailed) << c.problem;
        EXPECT_NE(build.problem().find(c.problem), std::string::npos) << build.problem();
        // One line on stderr, which names the file.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(fs::path(c.model).filename().string()), std::string::npos) << err;
        EXPECT_TRUE(Entries(settings.cacheFolder).empty()) << c.problem;
    }
}

TEST_F(SceneBuildTest, ProgressIsReadAsItComes) {
    // The builder says how far it is, then waits for the test.
    test::Gate gate(dir.Path("gate"));
    SceneBuildSettings settings = Settings();
    settings.program =
        FakeBuilder("slow", "echo 'progress check 0.50'; " + gate.WaitCommand() + "; exit 0");
    SceneBuild build;
    err = test::CaptureStderr([&] {
        build.Start(CubeModel(), settings);
        // Polled as the frame loop does, until the line has come.
        EXPECT_TRUE(test::PollUntil("the builder's progress line", [&] {
            build.Poll();
            return std::string(build.stage()) == "stability check";
        }));
        // Half of the stability check, the fourth of five stages.
        EXPECT_NEAR(build.fraction(), 0.65, 1e-12);
        EXPECT_TRUE(build.Active());
        gate.Open();
        build.Wait();
    });
    EXPECT_EQ(build.state(), State::kFailed);
    EXPECT_NE(build.problem().find("ended without writing a scene"), std::string::npos)
        << build.problem();
}

TEST_F(SceneBuildTest, AHangingBuildIsEndedAtItsTimeLimit) {
    test::Gate never(dir.Path("gate"));
    SceneBuildSettings settings = Settings();
    settings.program = FakeBuilder("hanging", "echo 'progress check 0.50'; " + never.WaitCommand());
    settings.timeLimit = 1500ms;
    SceneBuild build;
    err = test::CaptureStderr([&] {
        build.Start(CubeModel(), settings);
        build.Wait();
    });
    EXPECT_EQ(build.state(), State::kFailed);
    EXPECT_NE(build.problem().find("ran past its time limit of 2 s"), std::string::npos)
        << build.problem();
    EXPECT_TRUE(Entries(settings.cacheFolder).empty());
}

TEST_F(SceneBuildTest, TheBuildMayTakeTheBuildersOwnBudgetAndMoreUnlessTheLimitIsSet) {
    ScopedEnv programLimit("WOBBLE_BUILD_TIME_LIMIT", nullptr);
    const std::string small = dir.Write("small.obj", kCubeObj);
    const std::string big = dir.Write("big.obj", std::string(3u << 20, '#'));
    const double givenImport = 1.5;
    double smallLimit = 0.0;
    for (const bool importGiven : {false, true}) {
        ScopedEnv import(ModelTimeBudget::kImportVariable, importGiven ? "1.5" : nullptr);
        for (const std::string& model : {small, big}) {
            SceneBuild build;
            build.Start(model, Settings());
            const uintmax_t bytes = fs::file_size(model);
            const double seconds = build.timeLimit().count() / 1000.0;
            EXPECT_NEAR(seconds, ModelTimeBudget::BuildSeconds(bytes), 0.001) << model;
            // wobble-scene ends a damaged file's import itself, and says so, first.
            EXPECT_GT(seconds, ModelTimeBudget::ImportSeconds(bytes) + 30.0) << model;
            if (importGiven)
                EXPECT_EQ(ModelTimeBudget::ImportSeconds(bytes), givenImport);
            else if (model == small)
                smallLimit = seconds;
            else
                EXPECT_GT(seconds, smallLimit + 5.0) << "the budget grows with the file";
        }
    }
    ScopedEnv limit("WOBBLE_BUILD_TIME_LIMIT", "7");
    SceneBuild build;
    build.Start(big, SceneBuildSettings::FromEnvironment(false));
    EXPECT_EQ(build.timeLimit(), 7s);
}

TEST_F(SceneBuildTest, ModelsTheImportLibraryLoopsOrCrashesOnEndWithTheBuildersOwnLine) {
    // Found by fuzzing the import (fuzz/ModelFuzz.cpp), but for the first: a
    // PLY file cut off inside its header, refused before the import. Only the
    // endless loop meets its budget: the others have time enough to crash or
    // be refused, however slow the machine or the build.
    const std::string data = std::string(WOBBLE_TEST_DATA_DIR) + "/broken-models/";
    const struct {
        const char* file;
        const char* budget;  // seconds
        const char* message;
    } cases[] = {
        {"header-cut-short.ply", "60", "the PLY header has no end_header"},
        {"header-loops.ply", "1", "the import did not finish within 1 s: the file may be damaged"},
        {"reader-crashes.ply", "60", "the import library crashed on the file"},
        {"reader-crashes.ac", "60", "the import library crashed on the file"},
        {"reader-crashes.off", "60", "the import library crashed on the file"},
    };
    for (const auto& [file, budget, message] : cases) {
        ScopedEnv import(ModelTimeBudget::kImportVariable, budget);
        SceneBuild build;
        Build(build, data + file, Settings());
        EXPECT_EQ(build.state(), State::kFailed) << file;
        // The builder's line, not the program's time limit or a signal.
        EXPECT_NE(build.problem().find(data + file + ": " + message), std::string::npos)
            << build.problem();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(Entries(Settings().cacheFolder).empty()) << file;
    }
}

}  // namespace
}  // namespace wobble
