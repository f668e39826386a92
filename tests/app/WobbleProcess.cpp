#include "WobbleProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "LatticeModel.h"
#include "TestFiles.h"

extern char** environ;

namespace wobble::test {

ProcessResult RunWobble(const std::vector<std::string>& args, const std::string& cwd,
                        const std::vector<std::string>& unset,
                        const std::vector<std::string>& set) {
    return RunProgram(WOBBLE_BINARY, args, cwd, unset, set);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd, const std::vector<std::string>& unset,
                         const std::vector<std::string>& set) {
    ScratchDir capture;
    const std::string outPath = capture.Path("out"), errPath = capture.Path("err");
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    ProcessResult result;
    std::vector<std::string> replaced = unset;
    for (const std::string& entry : set)
        replaced.push_back(entry.substr(0, entry.find('=')));
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool keep = true;
        for (const std::string& name : replaced)
            keep = keep && entry.rfind(name + "=", 0) != 0;
        if (keep)
            env.push_back(*e);
    }
    for (const std::string& entry : set)
        env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    if (posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), env.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    return result;
}

void WriteTestScene(const std::string& folder) {
    const LatticeModel m{.cubesX = 6,
                         .cubesY = 2,
                         .cubesZ = 2,
                         .spacing = 4.0f,
                         .originX = 186.0f,
                         .originY = -5.0f,
                         .originZ = 194.0f};
    std::ofstream(folder + "/body.tet") << m.Text();
    // A box around the lattice, faces counter-clockwise seen from outside.
    std::ofstream(folder + "/box.obj")
        << "# the dress of the test body\n"
           "v 186 -5 194\nv 210 -5 194\nv 210 3 194\nv 186 3 194\n"
           "v 186 -5 202\nv 210 -5 202\nv 210 3 202\nv 186 3 202\n"
           "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";
    std::ostringstream config;
    // Control particles 2 and 3 lie across the nose's diagonal, so the body's
    // sphere in the water (radius 4 sqrt 2) reaches below the resting water.
    config << "version 0.1\ntetfile body.tet\nobjfile box.obj\npoints " << m.VertexIndex(6, 0, 0)
           << ' ' << m.VertexIndex(6, 2, 2) << ' ' << m.VertexIndex(6, 0, 2) << ' '
           << m.VertexIndex(6, 2, 0) << ' ' << m.VertexIndex(0, 0, 0) << ' '
           << m.VertexIndex(0, 2, 0) << ' ' << m.VertexIndex(0, 0, 2) << ' '
           << m.VertexIndex(0, 2, 2) << "\nstiffness 20\nmass 1\n";
    std::ofstream(folder + "/config.txt") << config.str();
}

bool NodeBuildPresent() {
    return access(WOBBLE_NODE, X_OK) == 0 && access(WOBBLE_WEB_NODE_PROGRAM, R_OK) == 0;
}

ProcessResult RunWobbleNode(const std::vector<std::string>& args, const std::string& cwd) {
    std::vector<std::string> nodeArgs = {WOBBLE_WEB_NODE_PROGRAM};
    for (const std::string& a : args)
        if (a != "--headless")
            nodeArgs.push_back(a);
    return RunProgram(WOBBLE_NODE, nodeArgs, cwd);
}

void ExpectSameDump(const Dump& got, const Dump& want) {
    EXPECT_EQ(got.frame, want.frame);
    EXPECT_EQ(got.thrust, want.thrust);
    EXPECT_EQ(got.camera, want.camera);
    EXPECT_EQ(got.view, want.view);
    EXPECT_TRUE(got.particles == want.particles) << "the particles differ";
    EXPECT_TRUE(got.surface == want.surface) << "the surface differs";
    EXPECT_TRUE(got.water == want.water) << "the water differs";
}

Dump ReadDump(const std::string& path) {
    std::ifstream in(path);
    Dump d;
    std::string line, *section = nullptr;
    while (std::getline(in, line)) {
        const std::string word = line.substr(0, line.find(' '));
        if (word == "frame")
            d.frame = line, section = nullptr;
        else if (word == "thrust")
            d.thrust = line, section = nullptr;
        else if (word == "camera")
            d.camera = line, section = nullptr;
        else if (word == "view")
            d.view = line, section = nullptr;
        else if (word == "particles")
            section = &d.particles;
        else if (word == "surface")
            section = &d.surface;
        else if (word == "water")
            section = &d.water;
        else if (word == "end" || word == "state")
            section = nullptr;
        if (section != nullptr)
            *section += line + "\n";
    }
    return d;
}

}  // namespace wobble::test
