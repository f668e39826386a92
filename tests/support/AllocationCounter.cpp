#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_allocations{0};

// Every form of new comes here, and every form of delete goes to free, so
// that memory the GL driver allocates with one form and releases with another
// still pairs up (the sanitizers check that it does).
void* CountedAllocate(std::size_t size, std::size_t alignment) {
    ++g_allocations;
    if (size == 0)
        size = 1;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size);
    void* p = nullptr;
    return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}

void* CountedAllocateOrThrow(std::size_t size, std::size_t alignment) {
    if (void* p = CountedAllocate(size, alignment))
        return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) {
    return CountedAllocateOrThrow(n, 0);
}
void* operator new[](std::size_t n) {
    return CountedAllocateOrThrow(n, 0);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, 0);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, 0);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return CountedAllocateOrThrow(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return CountedAllocateOrThrow(n, static_cast<std::size_t>(a));
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace wobble::test {

long AllocationCount() {
    return g_allocations.load();
}

}  // namespace wobble::test
