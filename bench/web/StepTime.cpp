// step-time: the milliseconds a frame's simulation takes, run by the
// application's own loop over a replay, with nothing drawn. Built twice, for
// this machine and for WebAssembly (build-web/step-time.js under Node), so
// that scripts/bench-web can set the two side by side; Google Benchmark is
// not there for WebAssembly, so this plain program times both.
//
//   step-time SCENE_DIR REPLAY FRAMES
//
// One thread, as in WebAssembly: the pool would share out the surface here.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Application.h"
#include "app/HeadlessSeams.h"
#include "math/ParallelFor.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: step-time SCENE_DIR REPLAY FRAMES\n");
        return 2;
    }
    wobble::SetParallelThreads(1);
    wobble::AppOptions options;
    options.headless = true;
    options.sceneDir = argv[1];
    options.frames = std::atoll(argv[3]);
    wobble::Replay replay;
    if (const wobble::Status loaded = replay.Load(argv[2]); !loaded) {
        wobble::PrintInputError(loaded.error());
        return 2;
    }
    // The loaders' lines are not what is measured.
    std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
    wobble::Application app(800, 600, 32, wobble::HeadlessSeams(), options);
    app.SetReplay(std::move(replay));
    if (quiet == nullptr || !app.Initialize())
        return 1;
    double body = 0.0, water = 0.0, surface = 0.0;
    long long seen = 0;
    while (app.RunTurn()) {
        if (app.framesRun() == seen)
            continue;
        seen = app.framesRun();
        const wobble::StepTimings& step = app.timings().step;
        body += step.bodyStep;
        water += step.waterStep;
        surface += step.surface;
    }
    const double n = static_cast<double>(seen);
    std::fprintf(stderr, "%lld frames, ms a frame: body %.4f water %.4f surface %.4f total %.4f\n",
                 seen, body / n, water / n, surface / n, (body + water + surface) / n);
    return 0;
}
