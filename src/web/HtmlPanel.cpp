#include "web/HtmlPanel.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/StatusPanel.h"
#include "scene/Scene.h"
#include "scene/SceneMeasures.h"

namespace wobble {

namespace {

// The sliders, in the order the page lays them out (wobble.js: kSliders).
enum Slider {
    kStiffness,
    kMass,
    kThrustCap,
    kPump,
    kBodyStep,
    kSubSteps,
    kDamping,
    kWaterStep,
    kGrab,
    kSliderCount
};

}  // namespace

void HtmlPanel::ToggleFull(Window&) {
    full_ = !full_;
    EM_ASM({ wobblePage.showPanel($0, $1); }, full_, compact_);
}

void HtmlPanel::ToggleCompact(Window&) {
    compact_ = !compact_;
    EM_ASM({ wobblePage.showPanel($0, $1); }, full_, compact_);
}

void HtmlPanel::ShowStatus(Window&, const StatusPanel& status) {
    status_ = &status;
}

void HtmlPanel::RecordFrame(double frameMilliseconds, const FrameTimings& frame) {
    averages_.Add(frameMilliseconds, frame);
}

KeyIntents HtmlPanel::Build(Window&, const Pointer&, Scene& scene, const PanelState& state,
                            const DisplaySettings&) {
    KeyIntents asked;
    std::string status;
    if (status_ != nullptr)
        for (int i = 0; i < status_->lineCount; ++i)
            status += status_->lines[i] + "\n";
    EM_ASM({ wobblePage.showStatus(UTF8ToString($0), $1, $2); }, status.c_str(),
           status_ != nullptr ? status_->barFraction : -1.0f,
           status_ != nullptr && status_->isError);
    if (!full_ && !compact_)
        return asked;

    const SoftBody& body = scene.body;
    const ThrustController& thrust = body.controller;
    const SceneTuning& own = scene.OwnTuning();
    SceneTuning tuning = scene.Tuning();
    const double ownLimit = scene.StiffnessPerMassLimit(own);
    const double stiffnessTop =
        std::isfinite(ownLimit) ? 1.25 * ownLimit * double(own.mass) : 4.0 * own.stiffness + 1.0;
    const double limit = scene.StiffnessPerMassLimit(tuning);
    const double perMass = tuning.mass > 0.0f ? double(tuning.stiffness) / tuning.mass : 0.0;
    const float dampingLow = std::max(own.relativeDamping * 0.1f, 1e-5f);
    // The readings, then each slider as value, low end, high end.
    const double readings[] = {
        averages_.FramesPerSecond(),
        averages_.frameMs,
        averages_.parts.step.bodyStep,
        averages_.parts.step.waterStep,
        averages_.parts.step.surface,
        averages_.parts.drawing,
        double(body.particleCount),
        double(body.tetraCount),
        double(body.springCount),
        double(body.surface.triangleCount),
        thrust.forwardThrust,
        thrust.backwardThrust,
        thrust.leftThrust,
        thrust.rightThrust,
        thrust.maxThrust,
        double(state.cameraMode),
        double(state.surfaceView),
        double(state.paused),
        perMass,
        limit,
        tuning.stiffness,
        0.0,
        stiffnessTop,
        tuning.mass,
        own.mass * 0.1,
        own.mass * 10.0,
        tuning.maxThrust,
        0.0,
        std::max(100.0f, own.maxThrust * 2.0f),
        (tuning.pumpGrowth - 1.0) * 100.0,
        0.0,
        25.0,
        tuning.bodyTimeStep,
        0.005,
        0.1,
        double(tuning.bodySubSteps),
        1.0,
        double(std::max(16, own.bodySubSteps * 4)),
        tuning.relativeDamping,
        dampingLow,
        std::max(own.relativeDamping * 10.0f, dampingLow * 100.0f),
        tuning.waterTimeStep,
        0.005,
        0.1,
        tuning.grabStrength,
        0.0,
        1.0,
    };
    EM_ASM({ wobblePage.showReadings(HEAPF64.subarray($0 >> 3, ($0 >> 3) + $1)); }, readings,
           static_cast<int>(sizeof readings / sizeof readings[0]));

    // What the buttons asked for since the last frame, as the keys' intents.
    const int buttons = EM_ASM_INT({ return wobblePage.takeButtons(); });
    asked.togglePause = (buttons & 1) != 0;
    asked.stepOnce = (buttons & 2) != 0;
    asked.reset = (buttons & 4) != 0;
    asked.toggleView = (buttons & 8) != 0;
    asked.screenshot = (buttons & 16) != 0;

    // The sliders moved since: the scene is tuned at once.
    const int moved = EM_ASM_INT({ return wobblePage.takeMovedSliders(); });
    if (moved != 0) {
        auto value = [](int slider) {
            return EM_ASM_DOUBLE({ return wobblePage.sliderValue($0); }, slider);
        };
        for (int s = 0; s < kSliderCount; ++s) {
            if ((moved & (1 << s)) == 0)
                continue;
            const double v = value(s);
            switch (s) {
                case kStiffness:
                    tuning.stiffness = float(v);
                    break;
                case kMass:
                    tuning.mass = float(v);
                    break;
                case kThrustCap:
                    tuning.maxThrust = float(v);
                    break;
                case kPump:
                    tuning.pumpGrowth = 1.0 + double(float(v)) / 100.0;
                    break;
                case kBodyStep:
                    tuning.bodyTimeStep = float(v);
                    break;
                case kSubSteps:
                    tuning.bodySubSteps = int(std::lround(v));
                    break;
                case kDamping:
                    tuning.relativeDamping = float(v);
                    break;
                case kWaterStep:
                    tuning.waterTimeStep = float(v);
                    break;
                case kGrab:
                    tuning.grabStrength = float(v);
                    break;
            }
        }
        scene.Tune(tuning);
    }
    return asked;
}

void HtmlPanel::Draw(const Scene& scene) {
    if (!full_)
        return;
    const SceneMeasures m = Measure(scene);
    EM_ASM({ wobblePage.addPlotSamples($0, $1, $2); }, m.bodySpeed, m.kineticEnergy, m.waterHeight);
}

}  // namespace wobble
