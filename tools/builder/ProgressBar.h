#pragma once
// A bar that shows how far a long step has come, redrawn in place on a
// terminal:
//
//   check      [##########..........]  50 % of 3000 steps
//
// It draws only on a terminal (standard error, else standard output), so
// pipes, files and tests see nothing of it; Clear erases it before the
// report goes on.

#include <cstdio>
#include <string>

namespace wobble::builder {

class ProgressBar {
public:
    // Draws on `stream` if it is given; Terminal() picks one.
    explicit ProgressBar(std::FILE* stream) : stream_(stream) {}
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Standard error if it is a terminal, else standard output if that is
    // one, else none.
    static std::FILE* Terminal();

    // Shows `done` of `total` after `label`; redraws only when the whole
    // percentage changes.
    void Show(const std::string& label, long long done, long long total, const char* unit);
    // Erases the bar, leaving the cursor at the start of its line.
    void Clear();

    static constexpr int kWidth = 30;

private:
    std::FILE* stream_;
    int shownPercent_ = -1;
};

}  // namespace wobble::builder
