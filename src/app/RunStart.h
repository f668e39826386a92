#pragma once
// What every platform's main does first: standard output goes line by line,
// so that progress appears as it happens and in order with the error lines on
// stderr, even when the console is a pipe; the command line is read, and the
// replay file it names, whole, so that a bad one is refused before any frame
// runs.

#include "app/AppOptions.h"
#include "app/Replay.h"

namespace wobble {

// The exit status when the program ends here (--help, --version, a bad
// argument or replay, said on the console), or -1 when it runs.
int StartRun(int argc, const char* const* argv, AppOptions& options, Replay& replay);

}  // namespace wobble
