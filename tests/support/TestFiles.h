#pragma once
// Small helpers for tests that read files: a scratch folder that removes
// itself, and capture of what a loader prints.

#include <string>

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

}  // namespace wobble::test
