#include "platform/FramePacer.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

namespace wobble {

void FramePacer::Start() {
    Stop();
    fenceSync_ = nullptr;
    if (!SDL_GL_ExtensionSupported("GL_ARB_sync"))
        return;
    auto* fenceSync = reinterpret_cast<FenceSyncFn>(SDL_GL_GetProcAddress("glFenceSync"));
    clientWaitSync_ = reinterpret_cast<ClientWaitSyncFn>(SDL_GL_GetProcAddress("glClientWaitSync"));
    deleteSync_ = reinterpret_cast<DeleteSyncFn>(SDL_GL_GetProcAddress("glDeleteSync"));
    if (fenceSync != nullptr && clientWaitSync_ != nullptr && deleteSync_ != nullptr)
        fenceSync_ = fenceSync;
}

void FramePacer::Pace() {
    if (fenceSync_ == nullptr) {
        glFinish();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (++framesSinceFence_ < kFramesPerFence && now - lastFence_ < kFenceInterval)
        return;
    framesSinceFence_ = 0;
    lastFence_ = now;
    void* const drawn = fenceSync_(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    void*& beforeLast = fences_[fence_++ % 2];
    if (beforeLast != nullptr)
        Wait(beforeLast);
    beforeLast = drawn;
    if (drawn == nullptr)  // no fence to wait on later: this frame is finished now
        glFinish();
}

void FramePacer::Wait(void* fence) {
    // The flush makes sure the fence is on its way; the wait itself is long
    // only when the rasteriser is behind.
    constexpr unsigned long long kSecond = 1000000000ull;
    while (clientWaitSync_(fence, GL_SYNC_FLUSH_COMMANDS_BIT, kSecond) == GL_TIMEOUT_EXPIRED) {
    }
    deleteSync_(fence);
}

void FramePacer::Stop() {
    for (void*& fence : fences_) {
        if (fence != nullptr)
            Wait(fence);
        fence = nullptr;
    }
    fence_ = 0;
    framesSinceFence_ = 0;
    lastFence_ = {};
}

}  // namespace wobble
