// wobble-scene: makes a wobble scene folder from a model file.

#include <cstdio>
#include <string>

#include "builder/BuildProgress.h"
#include "builder/SceneBuilder.h"
#include "builder/SceneOptions.h"

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
    if (options.progress)
        wobble::builder::SetProgressSink(wobble::builder::PrintProgressLine);
    wobble::builder::SceneBuilder builder;
    return builder.Run(options);
}
