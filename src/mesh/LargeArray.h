#pragma once
// Arrays of many megabytes that are filled once and then kept: the surface's
// vertices, indices and drawing arrays. Their first touch costs a page fault
// per 4 KiB page, which on a virtual machine can cost more than filling them;
// the kernel is asked to back them with huge pages instead (where it can, and
// where transparent huge pages are enabled for those who ask), which takes
// the faults down by a factor of 512 and changes nothing else.

#include <sys/mman.h>

#include <cstdint>
#include <vector>

namespace wobble {

// Asks for huge pages for the whole 2 MiB pages inside [data, data + bytes).
inline void AdviseHugePages(void* data, size_t bytes) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// v.assign(count, value), with fresh storage advised before it is touched
// when it has to grow. Throws std::bad_alloc as assign does.
template <typename T>
void AssignLarge(std::vector<T>& v, size_t count, const T& value) {
    if (count > v.capacity()) {
        std::vector<T>().swap(v);
        v.reserve(count);
        AdviseHugePages(v.data(), count * sizeof(T));
    }
    v.assign(count, value);
}

// v.resize(count) for elements whose default construction writes nothing
// (SbVec3f), with fresh storage advised before it is touched.
template <typename T>
void ResizeLarge(std::vector<T>& v, size_t count) {
    if (count > v.capacity()) {
        std::vector<T>().swap(v);
        v.reserve(count);
        AdviseHugePages(v.data(), count * sizeof(T));
    }
    v.resize(count);
}

}  // namespace wobble
