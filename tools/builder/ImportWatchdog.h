#pragma once
// A bound on the import of a model file that does not rely on the import
// library: a thread that waits out the budget and, unless the import has
// finished by then, says so in one line naming the file and ends the process
// at once. Some of the library's readers loop for ever on a damaged file (a
// PLY cut off inside its header re-reads its end endlessly); nothing short of
// ending the process stops them, and nothing has been written yet then.
//
//   {
//       ImportWatchdog watchdog(path, seconds);   // armed
//       ... the import ...
//   }                                              // disarmed, the thread joined

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "text/InputError.h"

namespace wobble::builder {

class ImportWatchdog {
public:
    // What an overrun does with its line. The default prints it and ends the
    // process with exit status 1, without running destructors or exit handlers
    // (the import still runs on the other thread); a fuzzer aborts instead, so
    // that the input is kept.
    using Overrun = void (*)(const InputError& line);
    static void SetOverrun(Overrun overrun);

    ImportWatchdog(std::string file, double seconds);
    ~ImportWatchdog();
    ImportWatchdog(const ImportWatchdog&) = delete;
    ImportWatchdog& operator=(const ImportWatchdog&) = delete;

private:
    void Watch(double seconds);

    std::string file_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace wobble::builder
