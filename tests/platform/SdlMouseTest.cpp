#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "input/MouseInput.h"
#include "platform/SdlMouse.h"

namespace wobble {
namespace {

// One hidden window on the offscreen driver, kept for the whole process: the
// mouse needs a real window id, and the offscreen driver never gives a window
// the input focus, so the tests hand focus over with window events.
SDL_Window* TestWindow() {
    static SDL_Window* window = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return static_cast<SDL_Window*>(nullptr);
        return SDL_CreateWindow("mouse test", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    }();
    return window;
}

SDL_Event WindowEvent(uint32_t windowId, uint8_t what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowId;
    e.window.event = what;
    return e;
}

SDL_Event Motion(uint32_t windowId, int32_t xrel, int32_t yrel) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = windowId;
    e.motion.xrel = xrel;
    e.motion.yrel = yrel;
    return e;
}

SDL_Event Wheel(uint32_t windowId, int32_t y, uint32_t direction) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = windowId;
    e.wheel.y = y;
    e.wheel.direction = direction;
    return e;
}

SDL_Event Button(uint32_t windowId, uint8_t button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowId;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

MouseState Junk() {
    MouseState s;
    s.lX = 31;
    s.lY = -41;
    s.lZ = 59;
    std::memset(s.rgbButtons, 0x26, 4);
    return s;
}

class SdlMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = TestWindow();
        ASSERT_NE(window, nullptr) << SDL_GetError();
        id = SDL_GetWindowID(window);
    }

    SdlMouse FocusedMouse() {
        SdlMouse mouse(window);
        mouse.HandleEvent(WindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED));
        return mouse;
    }

    SDL_Window* window = nullptr;
    uint32_t id = 0;
};

TEST_F(SdlMouseTest, WindowWithoutFocusReportsNothing) {
    SdlMouse mouse(window);
    ASSERT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS, 0u);
    mouse.HandleEvent(Motion(id, 25, 5));
    MouseState s = Junk();
    EXPECT_FALSE(mouse.Read(s));
    EXPECT_EQ(s.lX, 31);  // left as it was
    EXPECT_EQ(s.lY, -41);
}

TEST_F(SdlMouseTest, MotionBetweenReadsIsSummedAndThenStartsAgain) {
    SdlMouse mouse = FocusedMouse();
    mouse.HandleEvent(Motion(id, 3, 4));
    mouse.HandleEvent(Motion(id, 7, -1));
    MouseState s = Junk();
    ASSERT_TRUE(mouse.Read(s));
    EXPECT_EQ(s.lX, 10);
    EXPECT_EQ(s.lY, 3);
    EXPECT_EQ(s.lZ, 0);
    for (uint8_t b : s.rgbButtons)
        EXPECT_EQ(b, 0);
    ASSERT_TRUE(mouse.Read(s));
    EXPECT_EQ(s.lX, 0);
    EXPECT_EQ(s.lY, 0);
}

TEST_F(SdlMouseTest, OtherWindowsAndOtherEventsAreIgnored) {
    SdlMouse mouse = FocusedMouse();
    mouse.HandleEvent(Motion(id + 1, 100, 100));
    mouse.HandleEvent(WindowEvent(id + 1, SDL_WINDOWEVENT_FOCUS_LOST));
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = id;
    mouse.HandleEvent(key);
    mouse.HandleEvent(Motion(id, -2, 0));
    MouseState s;
    ASSERT_TRUE(mouse.Read(s));
    EXPECT_EQ(s.lX, -2);
    EXPECT_EQ(s.lY, 0);
}

TEST_F(SdlMouseTest, LosingFocusDropsMotionAndButtonsUntilItReturns) {
    SdlMouse mouse = FocusedMouse();
    mouse.HandleEvent(Motion(id, 8, 8));
    mouse.HandleEvent(Button(id, SDL_BUTTON_LEFT, true));
    mouse.HandleEvent(WindowEvent(id, SDL_WINDOWEVENT_FOCUS_LOST));
    mouse.HandleEvent(Motion(id, 5, 5));
    MouseState s = Junk();
    EXPECT_FALSE(mouse.Read(s));
    EXPECT_EQ(s.lX, 31);

    mouse.HandleEvent(WindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED));
    mouse.HandleEvent(Motion(id, 1, 2));
    ASSERT_TRUE(mouse.Read(s));
    EXPECT_EQ(s.lX, 1);
    EXPECT_EQ(s.lY, 2);
    EXPECT_EQ(s.rgbButtons[0], 0);  // its release happened elsewhere
}

TEST_F(SdlMouseTest, WheelCountsLikeTheSystemMouse) {
    SdlMouse mouse = FocusedMouse();
    mouse.HandleEvent(Wheel(id, 2, SDL_MOUSEWHEEL_NORMAL));
    mouse.HandleEvent(Wheel(id, 1, SDL_MOUSEWHEEL_FLIPPED));
    MouseState s;
    ASSERT_TRUE(mouse.Read(s));
    EXPECT_EQ(s.lZ, 120);
    EXPECT_EQ(s.lX, 0);
    EXPECT_EQ(s.lY, 0);
}

TEST_F(SdlMouseTest, ButtonsFollowPressAndReleaseInSystemOrder) {
    SdlMouse mouse = FocusedMouse();
    mouse.HandleEvent(Button(id, SDL_BUTTON_RIGHT, true));
    mouse.HandleEvent(Button(id, SDL_BUTTON_X1, true));
    mouse.HandleEvent(Button(id, SDL_BUTTON_X2, true));  // beyond the four
    MouseState s = Junk();
    ASSERT_TRUE(mouse.Read(s));
    const uint8_t rightAndFourth[4] = {0, 0x80, 0, 0x80};
    EXPECT_EQ(std::memcmp(s.rgbButtons, rightAndFourth, 4), 0);

    mouse.HandleEvent(Button(id, SDL_BUTTON_RIGHT, false));
    mouse.HandleEvent(Button(id, SDL_BUTTON_MIDDLE, true));
    ASSERT_TRUE(mouse.Read(s));
    const uint8_t middleAndFourth[4] = {0, 0, 0x80, 0x80};
    EXPECT_EQ(std::memcmp(s.rgbButtons, middleAndFourth, 4), 0);
}

TEST_F(SdlMouseTest, HugeMotionSaturatesInsteadOfOverflowing) {
    SdlMouse mouse = FocusedMouse();
    for (int k = 0; k < 4; ++k)
        mouse.HandleEvent(Motion(id, INT32_MAX, INT32_MIN));
    mouse.HandleEvent(Wheel(id, INT32_MAX, SDL_MOUSEWHEEL_NORMAL));
    MouseState s;
    ASSERT_TRUE(mouse.Read(s));
    EXPECT_EQ(s.lX, INT32_MAX);
    EXPECT_EQ(s.lY, INT32_MIN);
    EXPECT_EQ(s.lZ, INT32_MAX);
}

TEST_F(SdlMouseTest, NoWindowMeansNoMouse) {
    SdlMouse mouse(nullptr);
    mouse.HandleEvent(WindowEvent(0, SDL_WINDOWEVENT_FOCUS_GAINED));
    mouse.HandleEvent(Motion(0, 4, 4));
    MouseState s;
    EXPECT_FALSE(mouse.Read(s));
}

TEST_F(SdlMouseTest, NeverGrabsOrHidesTheCursor) {
    SdlMouse mouse = FocusedMouse();
    mouse.HandleEvent(Motion(id, 1, 1));
    MouseState s;
    mouse.Read(s);
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_FALSE);
    EXPECT_EQ(SDL_GetWindowGrab(window), SDL_FALSE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlMouseTest, DrivesMouseInputFromWindowEvents) {
    SdlMouse mouse(window);
    MouseInput input;
    input.SetWindow(&mouse);
    input.Initialize();
    mouse.HandleEvent(WindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED));
    mouse.HandleEvent(Motion(id, 6, -4));
    mouse.HandleEvent(Motion(id, 4, 0));
    input.Update();
    EXPECT_EQ(input.dx, 5.0f);
    EXPECT_EQ(input.dy, -2.0f);
    mouse.HandleEvent(WindowEvent(id, SDL_WINDOWEVENT_FOCUS_LOST));
    input.Update();
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(input.dy, 0.0f);
}

}  // namespace
}  // namespace wobble
