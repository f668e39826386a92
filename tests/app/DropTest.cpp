// Files dropped on the program: the whole program run headless, with drops
// replayed (which wait for their build) and with a model on the command line.
// Every run has a cache of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "WobbleProcess.h"

namespace wobble::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTestModels = "/usr/share/assimp/models/";

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class Drop : public ::testing::Test {
protected:
    void SetUp() override { WriteTestScene(scene.path()); }

    // Runs the test scene with `replay` for `frames` frames; returns the dump's text.
    std::string Run(const std::string& replay, int frames, ProcessResult* result = nullptr,
                    std::vector<std::string> extra = {}) {
        scene.Write("replay.txt", replay);
        std::vector<std::string> args = {"--headless", "--replay", "replay.txt",          "--dump",
                                         "dump.txt",   "--frames", std::to_string(frames)};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<std::string> set = environment;
        set.push_back("XDG_CACHE_HOME=" + cache.path());
        const ProcessResult r = RunWobble(args, scene.path(), {}, set);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        if (result != nullptr)
            *result = r;
        return ReadWholeFile(scene.Path("dump.txt"));
    }

    ScratchDir scene;
    ScratchDir cache;
    std::vector<std::string> environment;  // more variables for the runs
};

TEST_F(Drop, AReplayedDropSwitchesScenesTheSameWayEveryRun) {
    // A real scan when the test models are installed (a box under the
    // sanitizers, where its three builds would take minutes), else a box.
#if defined(__SANITIZE_ADDRESS__)
    const bool real = false;
#else
    const bool real = fs::exists(kTestModels);
#endif
    const std::string model =
        real ? std::string(kTestModels) + "PLY/Wuson.ply" : scene.Write("cube.obj", kCubeObj);
    const std::string replay = "1 down Up\n20 drop " + model + "\n";
    ProcessResult built, cached, rebuilt;
    const std::string first = Run(replay, 60, &built);
    const std::string second = Run(replay, 60, &cached);
    const std::string third = Run(replay, 60, &rebuilt, {"--rebuild"});
    EXPECT_NE(built.out.find("is built, in " + cache.path()), std::string::npos) << built.out;
    EXPECT_NE(cached.out.find("was built before"), std::string::npos) << cached.out;
    EXPECT_NE(rebuilt.out.find("is built, in"), std::string::npos) << rebuilt.out;
    EXPECT_EQ(built.err + cached.err + rebuilt.err, "");
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(first == third);
    // The dump is of the model's scene, not of the test scene.
    const Dump before = ReadDump(scene.Path("dump.txt"));
    Run("1 down Up\n", 60);
    EXPECT_NE(before.particles, ReadDump(scene.Path("dump.txt")).particles);
}

TEST_F(Drop, BrokenModelsAreRefusedOneByOneAndTheRunningSceneStaysUntouched) {
    // Truncated real files, binary garbage with a model's extension, counts
    // far beyond the file, files without a surface, and files the import
    // library loops or crashes on (ended by the builder within a short budget).
    std::vector<std::string> corpus;
    for (const auto& entry : fs::directory_iterator(WOBBLE_TEST_DATA_DIR "/broken-models"))
        corpus.push_back(entry.path());
    environment = {"WOBBLE_IMPORT_TIME_LIMIT=1"};
    if (fs::exists(kTestModels)) {
        for (const auto& [file, bytes] : std::vector<std::pair<std::string, size_t>>{
                 {"STL/Spider_binary.stl", 3000},
                 {"PLY/Wuson.ply", 5000},
                 {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", 2000},
                 {"FBX/spider.fbx", 3000},
                 {"3DS/fels.3ds", 1000}}) {
            const std::string whole = ReadWholeFile(kTestModels + file);
            const std::string name = "truncated-" + fs::path(file).filename().string();
            corpus.push_back(scene.Write(name, whole.substr(0, bytes)));
        }
    }
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + i / 13) % 256);
    for (const char* ext : {"stl", "ply", "obj", "glb", "gltf", "fbx", "3ds", "dae"})
        corpus.push_back(scene.Write(std::string("garbage.") + ext, garbage));
    corpus.push_back(scene.Write("huge.ply",
                                 "ply\nformat ascii 1.0\nelement vertex 4000000000\n"
                                 "property float x\nproperty float y\nproperty float z\n"
                                 "element face 4000000000\nproperty list uchar int vertex_indices\n"
                                 "end_header\n0 0 0\n"));
    corpus.push_back(scene.Write("huge-binary.ply",
                                 "ply\nformat binary_little_endian 1.0\nelement vertex 2000000000\n"
                                 "property float x\nproperty float y\nproperty float z\n"
                                 "end_header\n"));
    corpus.push_back(scene.Write("huge.stl", std::string(80, '\0') + "\xff\xff\xff\x7f"));
    corpus.push_back(scene.Write("huge-index.obj", "v 0 0 0\nv 1 0 0\nf 1 2 4000000000\n"));
    corpus.push_back(scene.Write("empty.stl", ""));
    corpus.push_back(scene.Write("flat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    corpus.push_back(scene.Write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"));
    corpus.push_back(scene.Path("missing.stl"));
    fs::create_directory(scene.Path("no-scene-here"));
    corpus.push_back(scene.Path("no-scene-here"));

    std::string replay = "1 down Up\n";
    for (size_t k = 0; k < corpus.size(); ++k)
        replay += std::to_string(k + 2) + " drop " + corpus[k] + "\n";
    const int frames = static_cast<int>(corpus.size()) + 10;
    ProcessResult r;
    const std::string dropped = Run(replay, frames, &r);
    // Each says why, naming its file, in a line or two.
    EXPECT_LE(LineCount(r.err), 2 * corpus.size()) << r.err;
    for (const std::string& file : corpus)
        EXPECT_NE(r.err.find(file), std::string::npos) << file << "\n" << r.err;
    // Nothing of them reached the scene.
    EXPECT_TRUE(dropped == Run("1 down Up\n", frames));
    EXPECT_TRUE(fs::is_empty(cache.path() + "/wobble/scenes-2")) << "a failed build left a folder";
}

TEST_F(Drop, AModelOnTheCommandLineRunsItsSceneAndABadOneEndsTheStart) {
    const std::string model = scene.Write("cube.obj", kCubeObj);
    const std::vector<std::string> set = {"XDG_CACHE_HOME=" + cache.path()};
    const ProcessResult r = RunWobble({model, "--headless", "--frames", "20", "--dump", "a.txt"},
                                      scene.path(), {}, set);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("held together"), std::string::npos) << r.out;
    // The same as the scene folder it was built into, run as such.
    const std::string built = r.out.substr(r.out.find("is built, in ") + 13);
    const std::string folder = built.substr(0, built.find('\n'));
    const ProcessResult same = RunWobble(
        {folder, "--headless", "--frames", "20", "--dump", "b.txt"}, scene.path(), {}, set);
    ASSERT_EQ(same.exitCode, 0) << same.err;
    EXPECT_TRUE(ReadWholeFile(scene.Path("a.txt")) == ReadWholeFile(scene.Path("b.txt")));

    const std::string flat = scene.Write("flat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const ProcessResult bad =
        RunWobble({flat, "--headless", "--frames", "1"}, scene.path(), {}, set);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, flat +
                           ": the model is flat (0 along z, 1 along its longest side): a body "
                           "needs volume\n");
}

}  // namespace
}  // namespace wobble::test
