// wobble-scene: makes a wobble scene folder from a model file.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "builder/BuildProgress.h"
#include "builder/SceneBuilder.h"
#include "builder/SceneOptions.h"
#include "mesh/ModelTimeBudget.h"

namespace {

// A model file's header may promise billions of vertices, and some importers
// of the import library then allocate until the machine has nothing left.
// Half the physical memory is more than any real model needs; past it an
// allocation fails, and the file is refused as needing more memory than there
// is. (The address sanitizer reserves terabytes of address space up front,
// so its builds have a limit of their own, below.)
void LimitMemory() {
#if !defined(__SANITIZE_ADDRESS__)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    rlimit limit;
    if (pages <= 0 || pageSize <= 0 || getrlimit(RLIMIT_AS, &limit) != 0)
        return;
    const rlim_t half = static_cast<rlim_t>(pages) / 2 * static_cast<rlim_t>(pageSize);
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > half) {
        limit.rlim_cur = half;
        setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own limit: a single allocation beyond it ends the tool with
// a report, rather than taking the machine's memory step by step.
extern "C" const char* __asan_default_options() {
    return "max_allocation_size_mb=4096";
}
#endif

int main(int argc, char** argv) {
    wobble::builder::SceneOptions options;
    std::string error;
    if (!options.Parse(argc - 1, argv + 1, error)) {
        std::fprintf(stderr, "wobble-scene: %s\n%s", error.c_str(),
                     wobble::builder::SceneOptions::Usage());
        return 2;
    }
    if (options.help) {
        std::fputs(wobble::builder::SceneOptions::Usage(), stdout);
        return 0;
    }
    LimitMemory();
    std::string warning;
    (void)wobble::ModelTimeBudget::ImportSeconds(0, &warning);
    if (!warning.empty())
        std::fprintf(stderr, "wobble-scene: %s\n", warning.c_str());
    if (options.progress)
        wobble::builder::SetProgressSink(wobble::builder::PrintProgressLine);
    wobble::builder::SceneBuilder builder;
    return builder.Run(options);
}
