#include "builder/BuildProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace wobble::builder {

namespace {

ProgressSink gSink = nullptr;

}  // namespace

const char* StageName(BuildStage stage) {
    switch (stage) {
        case BuildStage::kReading:
            return "reading";
        case BuildStage::kCage:
            return "cage";
        case BuildStage::kTetras:
            return "tetras";
        case BuildStage::kCheck:
            return "check";
        case BuildStage::kWriting:
            return "writing";
    }
    return "?";
}

void SetProgressSink(ProgressSink sink) {
    gSink = sink;
}

void ReportProgress(BuildStage stage, double fraction) {
    if (gSink != nullptr)
        gSink(stage, std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0));
}

void PrintProgressLine(BuildStage stage, double fraction) {
    static BuildStage lastStage = BuildStage::kReading;
    static int lastHundredths = -1;
    const int hundredths = static_cast<int>(fraction * 100.0);
    // A reader that shows a bar needs no more than a step per hundredth; the
    // check alone would otherwise send thousands of lines.
    if (stage == lastStage && hundredths == lastHundredths)
        return;
    lastStage = stage;
    lastHundredths = hundredths;
    std::printf("progress %s %.2f\n", StageName(stage), hundredths / 100.0);
    std::fflush(stdout);
}

}  // namespace wobble::builder
