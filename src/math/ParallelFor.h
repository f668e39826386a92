#pragma once
// Independent items shared out over the machine's cores: the surface's
// binding and its per-frame deformation. A small pool of helper threads (one
// per core beyond the caller's) sleeps until work comes; the caller works
// too. Pieces of `grain` items are handed out in order, each to exactly one
// thread, so a loop whose items write only their own results gives the same
// bits for any number of threads. Helpers look for work for a tenth of a
// millisecond after a loop, which catches the next loop of a step without
// the cost of waking a sleeping thread, and then block, which leaves the
// cores to the GL rasteriser's threads between frames.

#include <cstddef>

namespace wobble {

namespace detail {
using PieceFunction = void (*)(void* context, int begin, int end);
void RunPieces(int count, int grain, PieceFunction function, void* context);
}  // namespace detail

// Calls body(begin, end) for consecutive pieces covering [0, count), at most
// `grain` items each, on the calling thread and the pool's helpers, and
// returns when all are done. One piece, a call from inside a piece, or a
// call while another thread's loop runs: all on the calling thread.
// Allocates nothing once the pool has started.
template <typename Body>
void ParallelFor(int count, int grain, Body&& body) {
    detail::RunPieces(
        count, grain,
        [](void* context, int begin, int end) { (*static_cast<Body*>(context))(begin, end); },
        &body);
}

namespace detail {
bool StartBackground(PieceFunction function, void* context);
void WaitBackground();
}  // namespace detail

// One task run on a helper of the pool while the caller goes on with other
// work, until Wait. Where no helper can take it (one thread, or the pool busy
// with another loop), Start runs it on the caller before returning. While it
// runs, the caller's loops run on the caller alone.
class BackgroundTask {
public:
    BackgroundTask() = default;
    ~BackgroundTask() { Wait(); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // `task` is called once, as task(); it must live until Wait has returned.
    template <typename Task>
    void Start(Task& task) {
        Wait();
        const detail::PieceFunction run = [](void* context, int, int) {
            (*static_cast<Task*>(context))();
        };
        running_ = detail::StartBackground(run, &task);
        if (!running_)
            task();
    }
    // Returns once the task has ended; at once when none runs.
    void Wait() {
        if (running_)
            detail::WaitBackground();
        running_ = false;
    }

private:
    bool running_ = false;
};

// Threads that share a loop from now on, the caller included (at least 1);
// by default one per core. For tests and measurements.
void SetParallelThreads(int threads);
int ParallelThreads();

}  // namespace wobble
