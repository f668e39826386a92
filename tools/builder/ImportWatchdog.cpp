#include "builder/ImportWatchdog.h"

#include <unistd.h>

#include <atomic>
#include <chrono>

namespace wobble::builder {

namespace {

void PrintAndExit(const InputError& line) {
    PrintInputError(line);
    _exit(1);
}

std::atomic<ImportWatchdog::Overrun> overrunAction{PrintAndExit};

}  // namespace

void ImportWatchdog::SetOverrun(Overrun overrun) {
    overrunAction = overrun;
}

ImportWatchdog::ImportWatchdog(std::string file, double seconds) : file_(std::move(file)) {
    thread_ = std::thread([this, seconds] { Watch(seconds); });
}

ImportWatchdog::~ImportWatchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    finished_.notify_one();
    thread_.join();
}

void ImportWatchdog::Watch(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(seconds));
    std::unique_lock<std::mutex> lock(mutex_);
    if (finished_.wait_until(lock, deadline, [this] { return done_; }))
        return;
    overrunAction.load()(MakeInputError(file_, 0,
                                        "the import did not finish within %.3g s: the file may "
                                        "be damaged",
                                        seconds));
}

}  // namespace wobble::builder
