#include "math/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wobble {

namespace {

thread_local bool insidePiece = false;

constexpr std::chrono::microseconds kSpin{100};

inline void Pause() {
#if defined(__SSE2__)
    _mm_pause();
#endif
}

class Pool {
public:
    Pool() {
        const unsigned cores = std::thread::hardware_concurrency();
        threads_ = static_cast<int>(std::clamp(cores, 1u, 64u));
    }

    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& helper : helpers_)
            helper.join();
    }

    void SetThreads(int threads) {
        std::lock_guard<std::mutex> busy(busy_);
        threads_ = std::max(1, threads);
    }

    int Threads() {
        std::lock_guard<std::mutex> busy(busy_);
        return threads_;
    }

    void Run(int count, int grain, detail::PieceFunction function, void* context) {
        grain = std::max(1, grain);
        const int pieces = count / grain + (count % grain != 0);
        std::unique_lock<std::mutex> busy(busy_, std::try_to_lock);
        if (pieces <= 1 || insidePiece || !busy.owns_lock() || threads_ <= 1) {
            RunInline(count, grain, function, context);
            return;
        }
        const int helpers = StartHelpers(std::min(threads_, pieces) - 1);
        if (helpers == 0) {
            RunInline(count, grain, function, context);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = {count, grain, pieces, function, context};
            next_.store(0, std::memory_order_relaxed);
            working_ = helpers;
            active_ = helpers;
            joined_ = 0;
            closed_ = false;
            ++generation_;
        }
        wake_.notify_all();
        insidePiece = true;
        TakePieces();
        insidePiece = false;
        // Every piece is taken. A helper that has not woken yet has none and
        // need not be waited for: on a busy machine it may not run for a
        // while, and the loop would wait that long for nothing. Only those
        // that joined are waited for, to finish their pieces.
        std::unique_lock<std::mutex> lock(mutex_);
        closed_ = true;
        auto finished = [this] { return working_ == active_ - joined_; };
        SpinWhile(lock, finished);
        done_.wait(lock, finished);
    }

    // One piece for one helper, the caller going on; busy_ stays held until
    // WaitBackground. False, with nothing started, where no helper can take it.
    bool StartBackground(detail::PieceFunction function, void* context) {
        if (insidePiece || !busy_.try_lock())
            return false;
        if (threads_ <= 1 || StartHelpers(1) == 0) {
            busy_.unlock();
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = {1, 1, 1, function, context};
            next_.store(0, std::memory_order_relaxed);
            working_ = 1;
            active_ = 1;
            joined_ = 0;
            closed_ = false;
            ++generation_;
        }
        wake_.notify_all();
        return true;
    }

    void WaitBackground() {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            done_.wait(lock, [this] { return working_ == 0; });
        }
        busy_.unlock();
    }

private:
    struct Job {
        int count = 0;
        int grain = 1;
        int pieces = 0;
        detail::PieceFunction function = nullptr;
        void* context = nullptr;
    };

    static void RunInline(int count, int grain, detail::PieceFunction function, void* context) {
        for (int begin = 0; begin < count; begin += grain)
            function(context, begin, std::min(count, begin + grain));
    }

    void TakePieces() {
        for (;;) {
            const int piece = next_.fetch_add(1, std::memory_order_relaxed);
            if (piece >= job_.pieces)
                return;
            const int begin = piece * job_.grain;
            job_.function(job_.context, begin, std::min(job_.count, begin + job_.grain));
        }
    }

    // Before blocking, a short while of looking again: the passes of a step
    // follow one another closely, and waking a blocked thread takes longer
    // than many a piece. Returns with the lock held.
    template <typename Ready>
    static void SpinWhile(std::unique_lock<std::mutex>& lock, Ready&& ready) {
        const auto until = std::chrono::steady_clock::now() + kSpin;
        while (!ready()) {
            lock.unlock();
            for (int i = 0; i < 64; ++i)
                Pause();
            lock.lock();
            if (std::chrono::steady_clock::now() > until)
                return;
        }
    }

    // Called with busy_ held. Returns how many of the `wanted` helpers there
    // are: fewer when the system will not start more threads.
    int StartHelpers(int wanted) {
        try {
            while (static_cast<int>(helpers_.size()) < wanted) {
                const int index = static_cast<int>(helpers_.size());
                helpers_.emplace_back([this, index] { HelperLoop(index); });
            }
        } catch (const std::system_error&) {
        }
        return std::min(wanted, static_cast<int>(helpers_.size()));
    }

    void HelperLoop(int index) {
        insidePiece = true;
        unsigned seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                auto woken = [&] { return stopping_ || (generation_ != seen && index < active_); };
                SpinWhile(lock, woken);
                wake_.wait(lock, woken);
                if (stopping_)
                    return;
                seen = generation_;
                // A loop whose caller has taken every piece has nothing left.
                if (closed_)
                    continue;
                ++joined_;
            }
            TakePieces();
            std::lock_guard<std::mutex> lock(mutex_);
            --working_;
            done_.notify_one();
        }
    }

    std::mutex busy_;  // one loop at a time
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> helpers_;
    Job job_;
    std::atomic<int> next_{0};
    unsigned generation_ = 0;
    int active_ = 0;       // helpers taking part in the current job
    int working_ = 0;      // of those, the ones not yet done
    int joined_ = 0;       // of those, the ones that woke before the caller closed the loop
    bool closed_ = false;  // the caller has taken its last piece
    int threads_ = 1;
    bool stopping_ = false;
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

}  // namespace

namespace detail {

void RunPieces(int count, int grain, PieceFunction function, void* context) {
    if (count <= 0)
        return;
    ThePool().Run(count, grain, function, context);
}

bool StartBackground(PieceFunction function, void* context) {
    return ThePool().StartBackground(function, context);
}

void WaitBackground() {
    ThePool().WaitBackground();
}

}  // namespace detail

void SetParallelThreads(int threads) {
    ThePool().SetThreads(threads);
}

int ParallelThreads() {
    return ThePool().Threads();
}

}  // namespace wobble
