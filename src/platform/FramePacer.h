#pragma once
// Keeps a headless run's queue of frames short without draining it. An
// offscreen swap returns at once, so an unthrottled run would queue frame
// after frame for the software rasteriser's threads, which then hold ever
// more memory; finishing every frame instead makes the main thread and those
// threads take turns. A fence now and then, and a wait on the one before,
// lets the next frames be prepared while the last are drawn.
//
// A fence is not free for the software rasteriser (a small frame costs a
// fifth more with one after each), so small frames share one: a fence goes
// after a frame once kFramesPerFence frames or kFenceInterval of time have
// passed since the last. Big frames, whose queued work is what costs
// memory, still get one each, with at most two in flight; small ones at
// most 2 * kFramesPerFence.

#include <chrono>

namespace wobble {

class FramePacer {
public:
    // Fetches GL_ARB_sync through the platform's lookup; the context must be
    // current. Without it, Pace finishes each frame.
    void Start();
    // False when the context has no fences: every frame is then finished.
    bool HasFences() const { return fenceSync_ != nullptr; }
    // After a frame's last drawing call: fences it when it is time to (see
    // above), and then waits until the fence before is passed.
    void Pace();
    // Waits for every frame still drawing and drops the fences; before the
    // context goes.
    void Stop();

private:
    using FenceSyncFn = void* (*)(unsigned condition, unsigned flags);
    using ClientWaitSyncFn = unsigned (*)(void* sync, unsigned flags, unsigned long long timeout);
    using DeleteSyncFn = void (*)(void* sync);

    void Wait(void* fence);

    FenceSyncFn fenceSync_ = nullptr;
    ClientWaitSyncFn clientWaitSync_ = nullptr;
    DeleteSyncFn deleteSync_ = nullptr;
    static constexpr int kFramesPerFence = 8;
    static constexpr std::chrono::milliseconds kFenceInterval{25};

    void* fences_[2] = {nullptr, nullptr};  // the latest fences, by fence number modulo 2
    unsigned fence_ = 0;
    int framesSinceFence_ = 0;
    std::chrono::steady_clock::time_point lastFence_;
};

}  // namespace wobble
