// Fuzz target for the scene builder's model import, ModelFile::Load, over
// every format the builder reads through the import library.
//
// An input's first line names the format, as a file extension ("ply\n...");
// the rest is the file. A first line that is no known extension picks one by
// its first byte, so that every input is some format's file; FUZZ_MODEL_FORMAT
// (an extension) holds every input to one format instead, for fuzzing a format
// at a time. Beyond crashes,
// the model's promises are checked: a loaded model has every triangle's
// corners among its finite vertices, and a refused one is empty.
//
// The import runs under the builder's own bounds: its watchdog, with a budget
// of a second (these inputs are a few kilobytes), and its guard on the
// library's calls. A file the import library loops on or crashes on is
// contained by them in wobble-scene, which then ends with its line; here they
// print the line and hold the process until libFuzzer's -timeout takes the
// input as a timeout. The fuzz scripts run this target with -fork and
// -ignore_timeouts, so that such inputs are kept in the findings folder for
// the corpus of broken models while the fuzzing goes on; a crash in this
// program's own code and a broken promise still end the run.
//
// The import library itself is not instrumented, so coverage guides the
// mutations only through this side; its dictionary holds the formats' words.

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzFile.h"
#include "builder/ImportWatchdog.h"
#include "builder/LibraryCrashGuard.h"
#include "builder/ModelFile.h"
#include "mesh/ModelTimeBudget.h"

namespace {

using wobble::builder::ModelFile;

// The formats, as the extensions the import library knows them by.
constexpr const char* kFormats[] = {
    "obj",   "stl",     "ply",  "off", "gltf", "glb", "fbx",     "3ds", "dae", "x",
    "ac",    "lwo",     "ms3d", "smd", "md2",  "md3", "md5mesh", "ase", "cob", "ifc",
    "blend", "irrmesh", "q3o",  "nff", "raw",  "ter", "hmp",     "mdl", "b3d", "3mf",
    "ogex",  "amf",     "xgl",  "csm", "bvh",  "lws", "x3d",
};

[[noreturn]] void HoldUntilTimeout() {
    for (;;)
        pause();
}

[[noreturn]] void PrintAndHold(const wobble::InputError& line) {
    wobble::PrintInputError(line);
    HoldUntilTimeout();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A short budget, far above what a fuzzer's small inputs need, and below
    // the scripts' -timeout.
    setenv(wobble::ModelTimeBudget::kImportVariable, "1", 0);
    wobble::builder::ImportWatchdog::SetOverrun(PrintAndHold);
    wobble::builder::LibraryCrashGuard::SetEnding(HoldUntilTimeout);
    // The builder's memory limit: a count far beyond the file is refused as
    // asking for more memory than there is, not taken as a finding.
    const rlimit limit{3ull << 30, 3ull << 30};
    setrlimit(RLIMIT_AS, &limit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const void* newline = std::memchr(text, '\n', size < 16 ? size : 16);
    const char* format = nullptr;
    size_t skip = 0;
    if (newline != nullptr) {
        const std::string first(text, static_cast<const char*>(newline) - text);
        for (const char* known : kFormats) {
            if (first == known) {
                format = known;
                skip = first.size() + 1;
            }
        }
    }
    static const char* const only = std::getenv("FUZZ_MODEL_FORMAT");
    if (only != nullptr)
        format = only;
    else if (format == nullptr)
        format = kFormats[size > 0 ? data[0] % std::size(kFormats) : 0];
    const std::string path =
        wobble::fuzz::WriteScratchFile(std::string("model.") + format, data + skip, size - skip);
    ModelFile model;
    if (model.Load(path).ok()) {
        for (const SbVec3d& v : model.vertices)
            FUZZ_CHECK(std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]));
        for (const auto& triangle : model.triangles) {
            for (int corner : triangle)
                FUZZ_CHECK(corner >= 0 && static_cast<size_t>(corner) < model.vertices.size());
        }
        FUZZ_CHECK(model.triangles.size() <= static_cast<size_t>(ModelFile::kMaxTriangles));
    } else {
        FUZZ_CHECK(model.vertices.empty() && model.triangles.empty() && model.faceCount == 0);
    }
    return 0;
}
