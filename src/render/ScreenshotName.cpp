#include "render/Screenshot.h"

#include <sys/stat.h>

#include <cstdio>

namespace wobble {

std::string NextFreeName(const std::string& folder, const std::string& stem,
                         const std::string& extension) {
    char name[64];
    for (int n = 1;; ++n) {
        std::snprintf(name, sizeof name, "%s-%04d%s", stem.c_str(), n, extension.c_str());
        const std::string path = folder.empty() ? name : folder + "/" + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            return path;
    }
}

}  // namespace wobble
