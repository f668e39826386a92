// wobble-scene: makes a wobble scene folder from any OBJ surface.

#include <cstdio>
#include <string>

#include "scene/SceneBuilder.h"
#include "scene/SceneOptions.h"

int main(int argc, char** argv) {
    wobble::scene::SceneOptions options;
    std::string error;
    if (!options.Parse(argc - 1, argv + 1, error)) {
        std::fprintf(stderr, "wobble-scene: %s\n%s", error.c_str(),
                     wobble::scene::SceneOptions::Usage());
        return 2;
    }
    if (options.help) {
        std::fputs(wobble::scene::SceneOptions::Usage(), stdout);
        return 0;
    }
    wobble::scene::SceneBuilder builder;
    return builder.Run(options);
}
