#include "builder/ProgressBar.h"

#include <unistd.h>

namespace wobble::builder {

std::FILE* ProgressBar::Terminal() {
    if (isatty(fileno(stderr)))
        return stderr;
    if (isatty(fileno(stdout)))
        return stdout;
    return nullptr;
}

void ProgressBar::Show(const std::string& label, long long done, long long total,
                       const char* unit) {
    if (stream_ == nullptr || total <= 0)
        return;
    const int percent = static_cast<int>(100 * done / total);
    if (percent == shownPercent_)
        return;
    if (shownPercent_ < 0 && stream_ == stderr)
        std::fflush(stdout);  // the report's lines so far come before the bar
    shownPercent_ = percent;
    const int filled = kWidth * percent / 100;
    std::fprintf(stream_, "\r  %-10s [%s%s] %3d %% of %lld %s", label.c_str(),
                 std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(kWidth - filled), '.').c_str(), percent, total,
                 unit);
    std::fflush(stream_);
}

void ProgressBar::Clear() {
    if (stream_ == nullptr || shownPercent_ < 0)
        return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    shownPercent_ = -1;
}

}  // namespace wobble::builder
