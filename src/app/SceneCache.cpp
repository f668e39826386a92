#include "app/SceneCache.h"

#include <cstdlib>

namespace wobble {

std::string SceneCacheFolder() {
    std::string base;
    // The XDG rule: a relative XDG_CACHE_HOME is not to be used.
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (xdg != nullptr && xdg[0] == '/')
        base = xdg;
    else if (home != nullptr && home[0] == '/')
        base = std::string(home) + "/.cache";
    else
        return "";
    return base + "/wobble/scenes-" + std::to_string(kSceneCacheRevision);
}

void ContentHash::Add(const void* bytes, size_t count) {
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    uint64_t h = hash_;
    for (size_t k = 0; k < count; ++k)
        h = (h ^ p[k]) * 1099511628211ull;
    hash_ = h;
    length_ += count;
}

std::string SceneCacheKey(const ContentHash& hash) {
    char key[48];
    std::snprintf(key, sizeof key, "%016llx-%llu", static_cast<unsigned long long>(hash.value()),
                  static_cast<unsigned long long>(hash.length()));
    return key;
}

}  // namespace wobble
