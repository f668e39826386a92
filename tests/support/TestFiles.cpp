#include "TestFiles.h"

#include <gtest/gtest.h>

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
