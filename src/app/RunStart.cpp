#include "app/RunStart.h"

#include <cstdio>

#include "app/Application.h"

namespace wobble {

int StartRun(int argc, const char* const* argv, AppOptions& options, Replay& replay) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    switch (ParseCommandLine(argc, argv, options)) {
        case CommandLineResult::ExitOk:
            return kExitOk;
        case CommandLineResult::Error:
            return kExitBadCommandLine;
        case CommandLineResult::Run:
            break;
    }
    if (!options.replayFile.empty()) {
        const Status loaded = replay.Load(options.replayFile);
        if (!loaded) {
            PrintInputError(loaded.error());
            return kExitBadCommandLine;
        }
    }
    return -1;
}

}  // namespace wobble
