// A gamepad through SDL's game controller API, as a user plugs one in: an
// SDL virtual joystick mapped as a game controller, attached to the running
// program, its sticks moved and its buttons pressed, unplugged and plugged in
// again, all in this process.

#include "platform/SdlGamepads.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SceneHash.h"
#include "TestFiles.h"
#include "app/Application.h"
#include "input/Gamepad.h"
#include "platform/SdlWindow.h"

namespace wobble {
namespace {

constexpr const char* kPadName = "wobble test pad";

// A virtual joystick with every button and axis of a game controller.
class VirtualPad {
public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.name = kPadName;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index >= 0)
            joystick_ = SDL_JoystickOpen(index);
    }
    ~VirtualPad() { Unplug(); }
    bool ok() const { return joystick_ != nullptr; }
    void Axis(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, value);
    }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    }
    void Unplug() {
        if (joystick_ == nullptr)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int k = 0; k < SDL_NumJoysticks(); ++k) {
            if (SDL_JoystickGetDeviceInstanceID(k) == id)
                SDL_JoystickDetachVirtual(k);
        }
    }

private:
    SDL_Joystick* joystick_ = nullptr;
};

struct SampleApp {
    std::unique_ptr<Application> app;
    std::string console;  // what it printed, start-up aside

    SampleApp() {
        AppOptions options;
        options.headless = true;
        options.sceneDir = WOBBLE_SOURCE_DIR "/assets";
        app =
            std::make_unique<Application>(800, 600, 32, std::make_unique<SdlWindow>(true), options);
        bool ok = false;
        test::CaptureStdout([&] { ok = app->Initialize(); });
        EXPECT_TRUE(ok);
    }
    // Runs turns until frame `frame` has run, keeping what they print.
    void RunTo(long long frame) {
        console += test::CaptureStdout([&] {
            while (app->framesRun() < frame)
                ASSERT_TRUE(app->RunTurn());
        });
    }
    // Runs frames until `done` holds, within `limit` frames (the events of
    // a plug or an unplug arrive in the turns before a frame).
    template <typename Done>
    bool RunUntil(Done done, int limit = 20) {
        const long long end = app->framesRun() + limit;
        while (!done() && app->framesRun() < end)
            RunTo(app->framesRun() + 1);
        return done();
    }
    const ThrustController& thrust() { return app->scene().body.controller; }
};

TEST(SdlGamepads, ButtonAndAxisNamesAreSdls) {
    for (int b = 0; b < kPadButtons; ++b)
        EXPECT_STREQ(PadButtonName(b), SDL_GameControllerGetStringForButton(
                                           static_cast<SDL_GameControllerButton>(b)));
    for (int a = 0; a < kPadAxes; ++a)
        EXPECT_STREQ(PadAxisName(a),
                     SDL_GameControllerGetStringForAxis(static_cast<SDL_GameControllerAxis>(a)));
}

// The left stick steers the sample body bit for bit as the arrow keys do.
TEST(SdlGamepads, AVirtualPadSteersLikeTheArrowKeys) {
    long long plugged = 0;
    uint64_t byPad = 0;
    {
        SampleApp run;
        VirtualPad pad;
        ASSERT_TRUE(pad.ok()) << SDL_GetError();
        ASSERT_TRUE(run.RunUntil([&] { return run.app->gamepads().SteeringName() != nullptr; }));
        EXPECT_EQ(run.console, std::string("wobble: gamepad \"") + kPadName + "\" connected\n");
        plugged = run.app->framesRun();
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
        run.RunTo(plugged + 30);
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 5000);  // inside the dead zone: released
        run.RunTo(plugged + 40);
        EXPECT_GT(run.thrust().forwardThrust, 0.0f);
        byPad = test::SceneStateHash(run.app->scene());
    }
    SampleApp run;
    run.RunTo(plugged);
    run.app->keys().Press(vk::kUp);
    run.app->keys().Press(vk::kRight);
    run.RunTo(plugged + 30);
    run.app->keys().Release(vk::kRight);
    run.RunTo(plugged + 40);
    EXPECT_EQ(test::SceneStateHash(run.app->scene()), byPad);
}

// The right stick turns and lifts the camera, the buttons toggle the view and
// step the camera's mode, and the pad can go and come back mid-run.
TEST(SdlGamepads, CameraTogglesAndHotPlug) {
    SampleApp run;
    auto pad = std::make_unique<VirtualPad>();
    ASSERT_TRUE(run.RunUntil([&] { return run.app->gamepads().SteeringName() != nullptr; }));

    const float yaw = run.app->camera().yaw;
    const int lift = run.app->camera().lift;
    pad->Axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    pad->Axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767);
    run.RunTo(run.app->framesRun() + 1);
    pad->Axis(SDL_CONTROLLER_AXIS_RIGHTX, 0);
    pad->Axis(SDL_CONTROLLER_AXIS_RIGHTY, 0);
    run.RunTo(run.app->framesRun() + 1);
    EXPECT_EQ(run.app->camera().yaw, yaw - 3.0f) << "full deflection: 3 degrees a frame";
    EXPECT_EQ(run.app->camera().lift, lift + 6) << "as 3 degrees of the mouse lift it";

    pad->Button(SDL_CONTROLLER_BUTTON_X, true);  // held: toggles once
    run.RunTo(run.app->framesRun() + 3);
    EXPECT_FALSE(run.app->surfaceView());
    pad->Button(SDL_CONTROLLER_BUTTON_X, false);
    const int mode = run.app->camera().mode;
    pad->Button(SDL_CONTROLLER_BUTTON_Y, true);  // held, as C: a mode every seventh frame
    run.RunTo(run.app->framesRun() + 8);
    pad->Button(SDL_CONTROLLER_BUTTON_Y, false);
    EXPECT_NE(run.app->camera().mode, mode);

    // Unplugged while it holds Up: the thrust decays, and the pad is gone.
    pad->Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    run.RunTo(run.app->framesRun() + 5);
    const float held = run.thrust().forwardThrust;
    EXPECT_GT(held, 0.0f);
    run.console.clear();
    pad->Unplug();
    ASSERT_TRUE(run.RunUntil([&] { return run.app->gamepads().SteeringName() == nullptr; }));
    run.RunTo(run.app->framesRun() + 1);
    EXPECT_LT(run.thrust().forwardThrust, held);
    EXPECT_EQ(run.console, std::string("wobble: gamepad \"") + kPadName + "\" disconnected\n");

    // Plugged in again, it steers again.
    pad = std::make_unique<VirtualPad>();
    ASSERT_TRUE(run.RunUntil([&] { return run.app->gamepads().SteeringName() != nullptr; }));
    const float decayed = run.thrust().forwardThrust;
    pad->Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    run.RunTo(run.app->framesRun() + 3);
    EXPECT_GT(run.thrust().forwardThrust, decayed);
}

}  // namespace
}  // namespace wobble
