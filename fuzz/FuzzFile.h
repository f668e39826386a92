#pragma once
// The readers take file names, so every fuzz input is first written to a
// file. The files live in a folder of this process's own under /dev/shm
// (memory, so a write costs no disk and parallel fuzzers never meet) and are
// rewritten in place for each input; the folder goes when the process ends.

#include <cstddef>
#include <cstdint>
#include <string>

namespace wobble::fuzz {

// The folder, made on first use; its path ends without a slash.
const std::string& ScratchFolder();

// Writes `size` bytes to ScratchFolder()/name, replacing what was there, and
// returns the full path.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);
std::string WriteScratchFile(const std::string& name, const std::string& text);

// A broken promise of a reader is a finding like a crash: print what broke
// and abort, so that libFuzzer saves the input.
[[noreturn]] void Fail(const char* what, const char* file, int line);

}  // namespace wobble::fuzz

#define FUZZ_CHECK(condition)                                     \
    do {                                                          \
        if (!(condition))                                         \
            ::wobble::fuzz::Fail(#condition, __FILE__, __LINE__); \
    } while (false)
