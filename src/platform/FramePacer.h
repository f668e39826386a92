#pragma once
// Keeps a headless run's queue of frames short without draining it. An
// offscreen swap returns at once, so an unthrottled run would queue frame
// after frame for the software rasteriser's threads, which then hold ever
// more memory; finishing every frame instead makes the main thread and those
// threads take turns. A fence after each frame, and a wait on the one of the
// frame before the previous, lets the next frame be prepared while the last
// is drawn, with at most two frames in flight.

namespace wobble {

class FramePacer {
public:
    // Fetches GL_ARB_sync through the platform's lookup; the context must be
    // current. Without it, Pace finishes each frame.
    void Start();
    // False when the context has no fences: every frame is then finished.
    bool HasFences() const { return fenceSync_ != nullptr; }
    // After a frame's last drawing call: fences it, and waits until the
    // frame before the previous one is done.
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
    void* fences_[2] = {nullptr, nullptr};  // the frames in flight, by frame number modulo 2
    unsigned frame_ = 0;
};

}  // namespace wobble
