#pragma once
// Scenes built from model files are kept, keyed by the model file's content,
// so that the same model runs at once the next time (even renamed or moved):
//
//   $XDG_CACHE_HOME/wobble/                 (default: ~/.cache/wobble/)
//     scenes-2/                             2: kSceneCacheRevision
//       <hash>-<length>/                    one model: the 64-bit FNV-1a hash of
//                                           its bytes in 16 hex digits, and its
//                                           length in bytes
//         config.txt handling.txt body.tet surface.obj   the scene, as wobble-scene wrote it
//         model.txt                         the path it was built from (to browse by)
//       <hash>-<length>.part-<pid>-<n>/     a build under way; renamed to the
//                                           above when it succeeds
//
// The key covers the model file only: a glTF file whose separate .bin file
// changes keeps its key, and --rebuild builds it again. The cache may be
// removed at any time.

#include <cstdint>
#include <cstdio>
#include <string>

namespace wobble {

// Raised whenever wobble-scene makes another scene of the same file (another
// cage, other constants, another file format), so that old entries are not used.
constexpr int kSceneCacheRevision = 2;

// The cache's folder for built scenes (…/wobble/scenes-2), or "" when
// neither XDG_CACHE_HOME (an absolute path) nor HOME says where it is.
std::string SceneCacheFolder();

// The 64-bit FNV-1a hash of a stream of bytes, taken piece by piece.
class ContentHash {
public:
    void Add(const void* bytes, size_t count);
    uint64_t value() const { return hash_; }
    uint64_t length() const { return length_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
    uint64_t length_ = 0;
};

// "<16 hex digits>-<length>".
std::string SceneCacheKey(const ContentHash& hash);

}  // namespace wobble
