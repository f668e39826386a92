#pragma once
// Runs the wobble program as a person would, in a scene folder, and hands
// back what it printed and how it ended; and writes a small scene to run.

#include <string>
#include <vector>

namespace wobble::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the program did not exit normally (a crash)
    std::string out;
    std::string err;
};

// Runs the built program with `args` in the folder `cwd`, with the test's
// environment less the variables named in `unset`, and with the NAME=VALUE
// entries of `set` in place of their names' values.
ProcessResult RunWobble(const std::vector<std::string>& args, const std::string& cwd,
                        const std::vector<std::string>& unset = {},
                        const std::vector<std::string>& set = {});
// The same with another copy of the program.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd, const std::vector<std::string>& unset = {},
                         const std::vector<std::string>& set = {});

// The WebAssembly build's program under Node (build-web/wobble-node.js of
// `make web`), with the desktop's arguments less --headless; whether it has
// been built.
bool NodeBuildPresent();
ProcessResult RunWobbleNode(const std::vector<std::string>& args, const std::string& cwd);

// A small steerable scene in `folder`: config.txt, body.tet (a box of
// tetrahedral cubes floating at the water's middle) and box.obj around it.
void WriteTestScene(const std::string& folder);

// The state file's sections, for comparing runs.
struct Dump {
    std::string frame, thrust, camera, view;
    std::string particles, surface, water;  // the lines of each section
};
Dump ReadDump(const std::string& path);
// Every section of the two dumps is the same, byte for byte.
void ExpectSameDump(const Dump& got, const Dump& want);

}  // namespace wobble::test
