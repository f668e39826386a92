#include "math/ParallelFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace wobble {
namespace {

// Every item is handed out exactly once, in pieces of at most `grain`, for
// any number of threads, with loops started from inside a piece run too.
TEST(ParallelFor, EveryItemOnceInPiecesOfAtMostTheGrainForAnyNumberOfThreads) {
    const int defaultThreads = ParallelThreads();
    for (int threads : {1, 2, 3, 8}) {
        SetParallelThreads(threads);
        for (const auto& [count, grain] :
             {std::pair{0, 4}, {1, 4}, {4, 4}, {5, 4}, {1000, 7}, {100000, 4096}, {10, 0}}) {
            std::vector<int> visits(static_cast<size_t>(count), 0);
            std::vector<int> inner(static_cast<size_t>(count), 0);
            std::atomic<bool> pieceTooLarge{false};
            ParallelFor(count, grain, [&](int begin, int end) {
                if (end - begin > std::max(grain, 1))
                    pieceTooLarge = true;
                for (int i = begin; i < end; ++i)
                    ++visits[i];
                // A loop inside a piece runs on its thread.
                ParallelFor(end - begin, 1, [&](int b, int e) {
                    for (int i = b; i < e; ++i)
                        ++inner[begin + i];
                });
            });
            EXPECT_FALSE(pieceTooLarge) << count << " " << grain;
            EXPECT_EQ(visits, std::vector<int>(static_cast<size_t>(count), 1))
                << threads << " threads, " << count << " items";
            EXPECT_EQ(inner, visits);
        }
    }
    SetParallelThreads(defaultThreads);
}

// A background task runs once, on a helper where there is one (on the caller,
// before Start returns, where there is not), and is over when Wait returns;
// loops started meanwhile still visit every item.
TEST(BackgroundTask, RunsOnceBesideTheCallerAndIsOverAtWait) {
    const int defaultThreads = ParallelThreads();
    for (int threads : {1, 2}) {
        SetParallelThreads(threads);
        std::atomic<int> runs{0};
        std::thread::id ranOn;
        auto task = [&] {
            ranOn = std::this_thread::get_id();
            ++runs;
        };
        BackgroundTask background;
        background.Start(task);
        if (threads == 1) {
            EXPECT_EQ(runs.load(), 1);
        }
        std::atomic<int> visited{0};  // pieces may run on several threads
        ParallelFor(100, 10, [&](int begin, int end) { visited += end - begin; });
        background.Wait();
        EXPECT_EQ(visited.load(), 100);
        EXPECT_EQ(runs.load(), 1) << threads << " threads";
        EXPECT_EQ(ranOn == std::this_thread::get_id(), threads == 1) << threads << " threads";
        background.Start(task);  // again, then waited for by the destructor
    }
    SetParallelThreads(defaultThreads);
}

}  // namespace
}  // namespace wobble
