#include "app/Panel.h"

#include <imgui/imgui.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "app/StatusPanel.h"
#include "app/Window.h"
#include "render/PanelDraw.h"
#include "scene/Scene.h"
#include "scene/SceneMeasures.h"

namespace wobble {

namespace {

constexpr float kPanelWidth = 320.0f;
constexpr float kItemWidth = 200.0f;  // sliders, the meter and the plots; labels to their right
constexpr float kMargin = 10.0f;
constexpr float kPlotHeight = 36.0f;
// Sliders are dragged, never typed into: the keyboard stays the scene's.
constexpr ImGuiSliderFlags kSliderFlags = ImGuiSliderFlags_NoInput;

const char* const kCameraModeNames[] = {"free", "behind", "side", "front", "orbit"};

// Green while far from the limit, through yellow to red as the ratio of the
// stiffness per mass to its limit nears 1.
ImVec4 MeterColour(double ratio) {
    const float r = static_cast<float>(std::clamp((ratio - 0.5) / 0.45, 0.0, 1.0));
    return r < 0.5f ? ImVec4(0.2f + 1.4f * r, 0.75f, 0.2f, 1.0f)
                    : ImVec4(0.9f, 0.75f - 1.4f * (r - 0.5f), 0.1f, 1.0f);
}

void Plot(const char* label, const PlotHistory& history, const char* format) {
    char latest[48];
    std::snprintf(latest, sizeof latest, format, static_cast<double>(history.Latest()));
    ImGui::PlotLines(label, history.Values(), history.Count(), history.Offset(), latest, FLT_MAX,
                     FLT_MAX, ImVec2(0.0f, kPlotHeight));
}

void ThrustBar(const char* name, float thrust, float cap, float width) {
    char text[32];
    std::snprintf(text, sizeof text, "%s %.0f", name, static_cast<double>(thrust));
    ImGui::ProgressBar(cap > 0.0f ? std::clamp(thrust / cap, 0.0f, 1.0f) : 0.0f,
                       ImVec2(width, 0.0f), text);
}

}  // namespace

const char* CameraModeName(int mode) {
    return mode >= 0 && mode <= 4 ? kCameraModeNames[mode] : "?";
}

Panel::~Panel() {
    Stop();
}

void Panel::Start(Window& window) {
    if (window_ != nullptr)
        return;
    IMGUI_CHECKVERSION();
    context_ = ImGui::CreateContext();
    ImGui::SetCurrentContext(context_);
    ImGuiIO& io = ImGui::GetIO();
    // Nothing is written beside the scene, and the cursor is the window's
    // business (hidden in fullscreen, where the crosshair marks it), never
    // the panel's.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::StyleColorsDark();
    window.StartPanelInput();
    StartPanelDrawing();
    window_ = &window;
}

void Panel::Stop() {
    if (window_ == nullptr)
        return;
    ImGui::SetCurrentContext(context_);
    StopPanelDrawing();
    window_->StopPanelInput();
    ImGui::DestroyContext(context_);
    context_ = nullptr;
    window_ = nullptr;
    built_ = false;
}

void Panel::ToggleFull(Window& window) {
    full = !full;
    if (full)
        Start(window);
}

void Panel::ShowStatus(Window& window, const StatusPanel& status) {
    status_ = status.Empty() ? nullptr : &status;
    if (status_ != nullptr)
        Start(window);
}

void Panel::ToggleCompact(Window& window) {
    compact = !compact;
    if (compact)
        Start(window);
}

void Panel::RecordFrame(double frameMilliseconds, const FrameTimings& frame) {
    averages.Add(frameMilliseconds, frame);
}

void Panel::RecordMeasures(const SceneMeasures& measures) {
    speed_.Add(static_cast<float>(measures.bodySpeed));
    energy_.Add(static_cast<float>(measures.kineticEnergy));
    water_.Add(static_cast<float>(measures.waterHeight));
}

void Panel::TimingLines(const Readings& shown, const TimingFormats& formats) {
    ImGui::Text(formats.rate, shown.framesPerSecond,
                shown.framesPerSecond > 0.0 ? 1000.0 / shown.framesPerSecond : 0.0);
    ImGui::Text(formats.steps, shown.timings.step.bodyStep, shown.timings.step.waterStep);
    ImGui::Text(formats.surface, shown.timings.step.surface, shown.timings.drawing);
}

KeyIntents Panel::Build(Window& window, const Pointer& pointer, Scene& scene,
                        const PanelState& state, const DisplaySettings& display) {
    KeyIntents asked;
    built_ = false;
    takesMouse_ = false;
    if (!Shown() || window_ != &window)
        return asked;
    ImGui::SetCurrentContext(context_);
    window.BeginPanelFrame();
    PreparePanelDrawing();
    // The back end reads the system's mouse; the application's pointer also
    // carries replayed cursors and buttons, and a press shorter than a frame.
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(static_cast<float>(pointer.x), static_cast<float>(pointer.y));
    for (int b = 0; b < kMouseButtons; ++b)
        io.MouseDown[b] = pointer.down[b] || pointer.pressed[b];
    ImGui::NewFrame();
    built_ = true;
    takesMouse_ = io.WantCaptureMouse;

    // The scene's viewport sits at the window's bottom-left corner.
    const float top = io.DisplaySize.y - static_cast<float>(display.height) + kMargin;
    Readings shown;
    shown.state = state;
    shown.framesPerSecond = averages.FramesPerSecond();
    shown.timings = averages.parts;
    if (compact)
        BuildCompact(scene, shown, top, kMargin);
    if (full)
        BuildFull(scene, shown, asked, top, static_cast<float>(display.width) - kMargin);
    if (status_ != nullptr)
        BuildStatus(display, io.DisplaySize.y);
    return asked;
}

void Panel::BuildStatus(const DisplaySettings& display, float bottom) {
    const StatusPanel& status = *status_;
    const float width = static_cast<float>(display.width) - 2.0f * kStatusPanelInset;
    ImGui::SetNextWindowPos(ImVec2(kStatusPanelInset, bottom - kStatusPanelInset), ImGuiCond_Always,
                            ImVec2(0.0f, 1.0f));
    ImGui::SetNextWindowSize(ImVec2(width, 0.0f), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.7f);
    ImGui::Begin("status", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                     ImGuiWindowFlags_NoNav);
    if (status.isError)
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.45f, 0.4f, 1.0f));
    for (int k = 0; k < std::min(status.lineCount, StatusPanel::kMaxLines); ++k)
        ImGui::TextUnformatted(status.lines[k].c_str());
    if (status.isError)
        ImGui::PopStyleColor();
    if (status.barFraction >= 0.0f)
        ImGui::ProgressBar(std::clamp(status.barFraction, 0.0f, 1.0f), ImVec2(-1.0f, 0.0f), "");
    ImGui::End();
}

void Panel::BuildCompact(const Scene& scene, const Readings& shown, float top, float left) {
    const PanelState& state = shown.state;
    const SoftBody& body = scene.body;
    const ThrustController& t = body.controller;
    ImGui::SetNextWindowPos(ImVec2(left, top));
    ImGui::SetNextWindowBgAlpha(0.6f);
    ImGui::Begin("overview", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                     ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav);
    ImGui::TextUnformatted(state.paused ? "wobble - paused (P resumes, O steps)" : "wobble");
    TimingLines(shown, {"%.0f frames/s  %.2f ms/frame", "body step %.2f ms  water step %.2f ms",
                        "surface %.2f ms  drawing %.2f ms"});
    ImGui::Text("thrust fwd %.0f back %.0f left %.0f right %.0f",
                static_cast<double>(t.forwardThrust), static_cast<double>(t.backwardThrust),
                static_cast<double>(t.leftThrust), static_cast<double>(t.rightThrust));
    ImGui::Text("body %d particles  %d tetras  %d springs", body.particleCount, body.tetraCount,
                body.springCount);
    ImGui::Text("camera %s  view %s", CameraModeName(state.cameraMode),
                state.surfaceView ? "surface" : "wireframe");
    if (state.gamepad != nullptr)
        ImGui::Text("gamepad %s", state.gamepad);
    ImGui::Separator();
    ImGui::TextUnformatted(
        "arrows thrust and turn    W S A D move camera\n"
        "mouse turn / tilt         C (hold) camera mode\n"
        "left button: grab the body, poke the water\n"
        "M surface / wireframe     B pump    Z splash\n"
        "T fullscreen   P pause   O step   R reset\n"
        "F12 screenshot   F9 video   Tab panel\n"
        "F1 this overview   Esc quit");
    ImGui::End();
}

void Panel::BuildFull(Scene& scene, const Readings& shown, KeyIntents& asked, float top,
                      float right) {
    const PanelState& state = shown.state;
    const SoftBody& body = scene.body;
    const ThrustController& thrust = body.controller;
    // A fixed width and the height its content needs, at the viewport's
    // top-right corner.
    ImGui::SetNextWindowPos(ImVec2(right, top), ImGuiCond_Always, ImVec2(1.0f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(kPanelWidth, 0.0f), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.85f);
    ImGui::Begin("wobble", nullptr,
                 ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoSavedSettings);
    ImGui::PushItemWidth(kItemWidth);

    // The run.
    TimingLines(shown, {"%.0f frames/s, %.2f ms a frame", "body step %.2f ms, water step %.2f ms",
                        "surface %.2f ms, drawing %.2f ms"});
    ImGui::Text("%d particles, %d tetras", body.particleCount, body.tetraCount);
    ImGui::Text("%d springs, %d surface triangles", body.springCount, body.surface.triangleCount);
    const float half = (ImGui::GetContentRegionAvail().x - ImGui::GetStyle().ItemSpacing.x) / 2;
    ThrustBar("forward", thrust.forwardThrust, thrust.maxThrust, half);
    ImGui::SameLine();
    ThrustBar("backward", thrust.backwardThrust, thrust.maxThrust, half);
    ThrustBar("left", thrust.leftThrust, thrust.maxThrust, half);
    ImGui::SameLine();
    ThrustBar("right", thrust.rightThrust, thrust.maxThrust, half);
    ImGui::Text("camera %s, view %s", CameraModeName(state.cameraMode),
                state.surfaceView ? "surface" : "wireframe");
    // Only with a pad: without one the panel looks as it always has.
    if (state.gamepad != nullptr)
        ImGui::Text("gamepad %s", state.gamepad);

    // The buttons.
    asked.togglePause = ImGui::Button(state.paused ? "Resume" : "Pause");
    ImGui::SameLine();
    ImGui::BeginDisabled(!state.paused);
    asked.stepOnce = ImGui::Button("Step");
    ImGui::EndDisabled();
    ImGui::SameLine();
    asked.reset = ImGui::Button("Reset");
    ImGui::SameLine();
    asked.toggleView = ImGui::Button(state.surfaceView ? "Wireframe" : "Surface");
    asked.screenshot = ImGui::Button("Screenshot");
    ImGui::SameLine();
    asked.toggleRecording = ImGui::Button(state.recording ? "Stop video" : "Record video");

    // The sliders, on a copy of the tuning that goes back to the scene
    // only when one of them moved.
    ImGui::Separator();
    SceneTuning tuning = scene.Tuning();
    const SceneTuning& own = scene.OwnTuning();
    bool changed = false;
    // The stiffness reaches a quarter past the limit of the scene's own mass,
    // time step and sub-steps, so the meter's red end is in reach but not far beyond.
    const double ownLimit = scene.StiffnessPerMassLimit(own);
    const float stiffnessTop = std::isfinite(ownLimit)
                                   ? static_cast<float>(1.25 * ownLimit * double(own.mass))
                                   : 4.0f * own.stiffness + 1.0f;
    changed |= ImGui::SliderFloat("stiffness", &tuning.stiffness, 0.0f, stiffnessTop, "%.1f",
                                  kSliderFlags);
    changed |= ImGui::SliderFloat("mass", &tuning.mass, own.mass * 0.1f, own.mass * 10.0f, "%.3f",
                                  kSliderFlags | ImGuiSliderFlags_Logarithmic);
    // The meter: stiffness / mass against its estimated limit at the
    // body's time step and sub-steps.
    const double limit = scene.StiffnessPerMassLimit(tuning);
    const double perMass = tuning.mass > 0.0f ? double(tuning.stiffness) / tuning.mass : 0.0;
    const double ratio = std::isfinite(limit) && limit > 0.0 ? perMass / limit : 0.0;
    char meter[64];
    std::snprintf(meter, sizeof meter, "%.1f of ~%.1f", perMass, limit);
    ImGui::PushStyleColor(ImGuiCol_PlotHistogram, MeterColour(ratio));
    ImGui::ProgressBar(static_cast<float>(std::clamp(ratio, 0.0, 1.0)), ImVec2(kItemWidth, 0.0f),
                       meter);
    ImGui::PopStyleColor();
    ImGui::SameLine(0.0f, ImGui::GetStyle().ItemInnerSpacing.x);
    ImGui::TextUnformatted("stiff/mass");
    changed |= ImGui::SliderFloat("thrust cap", &tuning.maxThrust, 0.0f,
                                  std::max(100.0f, own.maxThrust * 2.0f), "%.0f", kSliderFlags);
    // A built body's thrust is shared around each control particle, as loaded.
    if (body.handling.thrustSpread > 0.0f) {
        ImGui::Text("thrust shared within %.3g of each control particle (%zu particles)",
                    static_cast<double>(body.handling.thrustSpread), thrust.spreadGroups[0].size());
    }
    float growth = static_cast<float>((tuning.pumpGrowth - 1.0) * 100.0);
    if (ImGui::SliderFloat("pump", &growth, 0.0f, 25.0f, "%.1f %% a frame", kSliderFlags)) {
        tuning.pumpGrowth = 1.0 + static_cast<double>(growth) / 100.0;
        changed = true;
    }
    changed |=
        ImGui::SliderFloat("body step", &tuning.bodyTimeStep, 0.005f, 0.1f, "%.3f", kSliderFlags);
    // Sub-steps buy stiffness: the limit grows with their square.
    changed |= ImGui::SliderInt("sub-steps", &tuning.bodySubSteps, 1,
                                std::max(16, own.bodySubSteps * 4), "%d a frame", kSliderFlags);
    const float dampingLow = std::max(own.relativeDamping * 0.1f, 1e-5f);
    changed |= ImGui::SliderFloat("damping", &tuning.relativeDamping, dampingLow,
                                  std::max(own.relativeDamping * 10.0f, dampingLow * 100.0f),
                                  "%.4g", kSliderFlags | ImGuiSliderFlags_Logarithmic);
    changed |=
        ImGui::SliderFloat("water step", &tuning.waterTimeStep, 0.005f, 0.1f, "%.3f", kSliderFlags);
    changed |= ImGui::SliderFloat("grab", &tuning.grabStrength, 0.0f, 1.0f, "%.2f of the safe pull",
                                  kSliderFlags);
    if (changed)
        scene.Tune(tuning);

    // The plots.
    ImGui::Separator();
    Plot("speed", speed_, "%.3g");
    Plot("kinetic energy", energy_, "%.4g");
    Plot("water height", water_, "%.4g");
    ImGui::PopItemWidth();
    ImGui::End();
}

void Panel::Draw(const Scene& scene) {
    if (full)
        RecordMeasures(Measure(scene));
    if (!built_)
        return;
    built_ = false;
    ImGui::SetCurrentContext(context_);
    DrawPanel();
}

}  // namespace wobble
