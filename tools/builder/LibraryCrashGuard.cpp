#include "builder/LibraryCrashGuard.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "text/InputError.h"

namespace wobble::builder {

namespace {

void ExitWithFailure() {
    _exit(1);
}

std::atomic<LibraryCrashGuard::Ending> ending{ExitWithFailure};

// The line for each signal, made when the guard is set up: the handler may
// only write what is ready.
std::array<std::string, std::size(LibraryCrashGuard::kSignals)> lines;

// A stack of its own for the handler: a reader that recursed until the stack
// ran out faults on the stack's end.
alignas(16) char handlerStack[1 << 16];

void OnCrash(int signal) {
    for (size_t k = 0; k < lines.size(); ++k) {
        if (LibraryCrashGuard::kSignals[k] == signal) {
            const std::string& line = lines[k];
            ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
            (void)ignored;
        }
    }
    ending.load()();
    _exit(1);
}

}  // namespace

void LibraryCrashGuard::SetEnding(Ending newEnding) {
    ending = newEnding;
}

LibraryCrashGuard::LibraryCrashGuard(const std::string& file) {
    std::fflush(stdout);  // what the tool has said so far, before a crash could lose it
    for (size_t k = 0; k < lines.size(); ++k) {
        lines[k] = InputErrorLine(MakeInputError(
            file, 0, "the import library crashed on the file (%s): the file may be damaged",
            strsignal(kSignals[k])));
    }
    stack_t stack{};
    stack.ss_sp = handlerStack;
    stack.ss_size = sizeof handlerStack;
    sigaltstack(&stack, &previousStack_);
    struct sigaction action {};
    action.sa_handler = OnCrash;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (size_t k = 0; k < std::size(kSignals); ++k)
        sigaction(kSignals[k], &action, &previous_[k]);
}

LibraryCrashGuard::~LibraryCrashGuard() {
    for (size_t k = 0; k < std::size(kSignals); ++k)
        sigaction(kSignals[k], &previous_[k], nullptr);
    sigaltstack(&previousStack_, nullptr);
}

}  // namespace wobble::builder
