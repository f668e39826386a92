#include "ProgramRun.h"

#include "math/VecMath.h"
#include "platform/SdlWindow.h"

namespace wobble::bench {

std::unique_ptr<Application> StartProgram(AppOptions options) {
    options.headless = true;
    auto app =
        std::make_unique<Application>(800, 600, 32, std::make_unique<SdlWindow>(true), options);
    const bool ok = Quietly([&] { return app->Initialize(); });
    return ok ? std::move(app) : nullptr;
}

FrameTimings RunFrames(benchmark::State& state, Application& app) {
    app.keys().Press(vk::kUp);
    FrameTimings sum;
    for (auto _ : state) {
        const long long before = app.framesRun();
        while (app.framesRun() == before)
            app.RunTurn();
        sum.step.bodyStep += app.timings().step.bodyStep;
        sum.step.waterStep += app.timings().step.waterStep;
        sum.step.surface += app.timings().step.surface;
        sum.drawing += app.timings().drawing;
        sum.frame += app.timings().frame;
    }
    const double total = sum.frame;
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["body_step_pct"] = 100.0 * sum.step.bodyStep / total;
    state.counters["water_step_pct"] = 100.0 * sum.step.waterStep / total;
    state.counters["surface_pct"] = 100.0 * sum.step.surface / total;
    state.counters["drawing_pct"] = 100.0 * sum.drawing / total;
    state.counters["swap_and_rest_pct"] =
        100.0 * (total - sum.step.bodyStep - sum.step.waterStep - sum.step.surface - sum.drawing) /
        total;
    return sum;
}

void RunSceneFrames(benchmark::State& state, const std::string& folder,
                    const std::function<void(const Scene&)>& count) {
    AppOptions options;
    options.sceneDir = folder;
    std::unique_ptr<Application> app = StartProgram(options);
    if (app == nullptr) {
        state.SkipWithError("the scene did not start");
        return;
    }
    const FrameTimings sum = RunFrames(state, *app);
    const Scene& scene = app->scene();
    bool finite = true;
    for (const Particle& p : scene.body.particles)
        finite = finite && VecIsFinite(p.position);
    state.counters["springs"] = scene.body.springCount;
    state.counters["body_step_ms"] = sum.step.bodyStep / static_cast<double>(state.iterations());
    count(scene);
    if (!finite)
        state.SkipWithError("a particle's position stopped being finite");
}

}  // namespace wobble::bench
