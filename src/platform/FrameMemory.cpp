#include "platform/FrameMemory.h"

#include <cstdlib>  // defines __GLIBC__ under glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace wobble {

bool KeepFrameMemory() {
#if defined(__GLIBC__)
    // The largest threshold glibc accepts, the one its own adjustment stops
    // at (32 MiB on 64-bit machines): a larger block is mapped and unmapped
    // on its own, whatever the threshold.
    constexpr int kHeapBlockLimit = 4 * 1024 * 1024 * static_cast<int>(sizeof(long));
    // Room for the frames in flight of the largest surfaces a user drops;
    // what lies free beyond it (after a large scene gave way to a small one)
    // goes back to the system.
    constexpr int kKeptFreeTop = 512 * 1024 * 1024;
    const bool mapped = mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit) == 1;
    const bool trimmed = mallopt(M_TRIM_THRESHOLD, kKeptFreeTop) == 1;
    return mapped && trimmed;
#else
    return false;
#endif
}

}  // namespace wobble
