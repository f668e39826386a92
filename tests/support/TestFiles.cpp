#include "TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace wobble::test {

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/wobble-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Write(const std::string& name, const std::string& content) const {
    const std::string full = Path(name);
    std::ofstream out(full, std::ios::binary);
    out << content;
    return full;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string GridObj(int outer, int inner,
                    const std::function<std::array<double, 3>(int, int)>& point, bool wrapInner) {
    std::string obj;
    char line[96];
    for (int i = 0; i < outer; ++i) {
        for (int j = 0; j < inner; ++j) {
            const std::array<double, 3> p = point(i, j);
            std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", p[0], p[1], p[2]);
            obj += line;
        }
    }
    for (int i = 0; i + 1 < outer; ++i) {
        for (int j = 0; j + 1 < inner || (wrapInner && j < inner); ++j) {
            const int a = i * inner + j + 1, b = i * inner + (j + 1) % inner + 1;
            std::snprintf(line, sizeof line, "f %d %d %d\nf %d %d %d\n", a, b, b + inner, a,
                          b + inner, a + inner);
            obj += line;
        }
    }
    return obj;
}

Gate::Gate(std::string path) : path_(std::move(path)) {
    if (mkfifo(path_.c_str(), 0600) != 0)
        throw std::runtime_error("mkfifo failed: " + path_);
}

Gate::~Gate() {
    if (fd_ >= 0)
        close(fd_);
}

void Gate::Open() {
    if (fd_ >= 0)
        return;
    // Read and write: the open does not wait for the reader, and the line
    // stays in the pipe until the reader comes.
    fd_ = open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 || write(fd_, "go\n", 3) != 3)
        ADD_FAILURE() << "cannot open the gate " << path_;
}

void BeginStdoutCapture() {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
}

std::string EndStdoutCapture() {
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

void BeginStderrCapture() {
    std::fflush(stderr);
    testing::internal::CaptureStderr();
}

std::string EndStderrCapture() {
    std::fflush(stderr);
    return testing::internal::GetCapturedStderr();
}

}  // namespace wobble::test
