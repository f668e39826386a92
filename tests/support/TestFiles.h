#pragma once
// Small helpers for tests that read files: a scratch folder that removes
// itself, capture of what a loader prints, model texts, a content hash, and
// waiting for a result without racing the clock.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "text/InputError.h"

namespace wobble::test {

// A fresh folder under /tmp, removed with everything in it when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // Writes `content` to path()/name and returns the full path.
    std::string Write(const std::string& name, const std::string& content) const;
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);

// A unit cube of six quads, counter-clockwise seen from outside.
inline constexpr const char* kCubeObj =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

// An OBJ sheet of `outer` x `inner` points point(i, j) (i the outer index),
// two triangles (i,j) (i,j+1) (i+1,j+1) and (i,j) (i+1,j+1) (i+1,j) per square;
// `wrapInner` joins each row's last point to its first (a band around).
std::string GridObj(int outer, int inner,
                    const std::function<std::array<double, 3>(int, int)>& point,
                    bool wrapInner = false);

// FNV-1a 64 over bytes, which may be added in pieces.
class Fnv1a {
public:
    void Add(const void* data, size_t bytes) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < bytes; ++i) {
            hash_ ^= p[i];
            hash_ *= 0x100000001b3ull;
        }
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 0xcbf29ce484222325ull;
};

// Polls `done` until it holds or `limit` passes (generous: a loaded machine
// is slow); the failure says what was waited for.
template <typename Done>
testing::AssertionResult PollUntil(const std::string& what, Done&& done,
                                   std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return testing::AssertionFailure() << "waited " << limit.count() << " ms for " << what;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return testing::AssertionSuccess();
}

// A named pipe a child script waits on (WaitCommand) until the test calls
// Open: a child exactly as slow as the test needs. Never opened, it holds
// the child for ever.
class Gate {
public:
    explicit Gate(std::string path);
    ~Gate();
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    std::string WaitCommand() const { return "read go < '" + path_ + "'"; }
    void Open();

private:
    std::string path_;
    int fd_ = -1;
};

// What a caller does with a reader's result: prints the error, if any, on
// stderr, and says whether the read succeeded.
template <typename Read>
bool Reported(const Read& result) {
    if (!result)
        PrintInputError(result.error());
    return result.ok();
}

// Runs `action` and returns what it printed on standard output.
template <typename Action>
std::string CaptureStdout(Action&& action);

void BeginStdoutCapture();
std::string EndStdoutCapture();
void BeginStderrCapture();
std::string EndStderrCapture();

template <typename Action>
std::string CaptureStdout(Action&& action) {
    BeginStdoutCapture();
    action();
    return EndStdoutCapture();
}

template <typename Action>
std::string CaptureStderr(Action&& action) {
    BeginStderrCapture();
    action();
    return EndStderrCapture();
}

struct ConsoleOutput {
    std::string out, err;
};

// Runs `action` and returns what it printed on both streams.
template <typename Action>
ConsoleOutput CaptureConsole(Action&& action) {
    ConsoleOutput o;
    o.err = CaptureStderr([&] { o.out = CaptureStdout(action); });
    return o;
}

}  // namespace wobble::test
