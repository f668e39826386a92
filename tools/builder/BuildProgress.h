#pragma once
// How far the build has come, for a program that runs wobble-scene and shows
// a progress bar (wobble does, when a model is dropped on its window). The
// steps report here; the reports go nowhere until a sink is set, which the
// tool's --progress option does (see PrintProgressLine).

namespace wobble::builder {

// The stages, in the order a build goes through them.
enum class BuildStage {
    kReading,  // the model file, by the import library
    kCage,     // the search for the finest cage within the spring budget
    kTetras,   // the tetras of the chosen cage and its control particles
    kCheck,    // the stability check (again from 0 after each softening)
    kWriting,  // the scene's three files
};

// "reading", "cage", "tetras", "check", "writing".
const char* StageName(BuildStage stage);

using ProgressSink = void (*)(BuildStage stage, double fraction);

// Sends every later report to `sink` (null: nowhere).
void SetProgressSink(ProgressSink sink);

// `fraction` of `stage` is done, from 0 to 1.
void ReportProgress(BuildStage stage, double fraction);

// A sink that prints "progress <stage> <fraction>" lines on standard output,
// flushed at once, each stage's start and end and at most one line per
// hundredth between.
void PrintProgressLine(BuildStage stage, double fraction);

}  // namespace wobble::builder
