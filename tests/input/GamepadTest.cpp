// The pad's buttons and sticks as the keys they stand for, the right stick's
// camera rate, and which of several pads steers.

#include "input/Gamepad.h"

#include <gtest/gtest.h>

#include <cmath>

#include "input/KeyBindings.h"

namespace wobble {
namespace {

int AskedCount(const KeyIntents& in) {
    const bool* fields = reinterpret_cast<const bool*>(&in);
    int count = 0;
    for (size_t k = 0; k < sizeof in; ++k)
        count += fields[k] ? 1 : 0;
    return count;
}

TEST(Gamepad, EachButtonAsksForItsKeysIntentAloneAndLetsGoWhenReleased) {
    struct Case {
        int button;
        bool KeyIntents::*asks;
    };
    const Case cases[] = {
        {kPadA, &KeyIntents::splash},
        {kPadB, &KeyIntents::pump},
        {kPadX, &KeyIntents::toggleView},
        {kPadY, &KeyIntents::nextCameraMode},
        {kPadStart, &KeyIntents::togglePause},
        {kPadBack, &KeyIntents::reset},
        {kPadRightShoulder, &KeyIntents::stepOnce},
        {kPadLeftShoulder, &KeyIntents::togglePanel},
        {kPadDpadUp, &KeyIntents::thrustForward},
        {kPadDpadDown, &KeyIntents::thrustBackward},
        {kPadDpadLeft, &KeyIntents::turnLeft},
        {kPadDpadRight, &KeyIntents::turnRight},
    };
    for (const Case& c : cases) {
        Gamepad pad;
        KeyTable keys;
        pad.SetButton(c.button, true, keys);
        const KeyIntents pressed = ReadKeyBindings(keys);
        EXPECT_TRUE(pressed.*c.asks) << PadButtonName(c.button);
        EXPECT_EQ(AskedCount(pressed), 1) << PadButtonName(c.button);
        pad.SetButton(c.button, false, keys);
        EXPECT_EQ(AskedCount(ReadKeyBindings(keys)), 0) << PadButtonName(c.button);
    }
    // Buttons with no key do nothing.
    Gamepad pad;
    KeyTable keys;
    for (int b : {int(kPadGuide), int(kPadLeftStick), int(kPadTouchpad), -1, int(kPadButtons)})
        pad.SetButton(b, true, keys);
    EXPECT_EQ(AskedCount(ReadKeyBindings(keys)), 0);
}

TEST(Gamepad, StickAndDpadShareTheArrowsAndReleaseLetsGoOfAll) {
    Gamepad pad;
    KeyTable keys;
    pad.SetAxis(kPadLeftY, -0.5f, keys);
    pad.SetButton(kPadDpadUp, true, keys);
    pad.SetAxis(kPadLeftY, 0.0f, keys);  // the D-pad still holds Up
    EXPECT_TRUE(ReadKeyBindings(keys).thrustForward);
    pad.SetButton(kPadDpadUp, false, keys);
    EXPECT_FALSE(ReadKeyBindings(keys).thrustForward);

    pad.SetAxis(kPadLeftX, 7.0f, keys);  // beyond full deflection: full
    pad.SetButton(kPadB, true, keys);
    ReadKeyBindings(keys);
    EXPECT_TRUE(keys.IsDown(vk::kRight));
    pad.Release(keys);
    EXPECT_EQ(AskedCount(ReadKeyBindings(keys)), 0);
}

TEST(Gamepad, TheRightStickTurnsFromTheDeadZonesEdgeToThreeDegreesAFrame) {
    struct Case {
        float deflection;
        float motion;
    };
    const Case cases[] = {{0.0f, 0.0f},   {0.25f, 0.0f},    {-0.2f, 0.0f},
                          {0.625f, 1.5f}, {-0.625f, -1.5f}, {1.0f, 3.0f},
                          {-1.0f, -3.0f}, {-1.5f, -3.0f},   {NAN, 0.0f}};
    for (const Case& c : cases) {
        Gamepad pad;
        KeyTable keys;
        pad.SetAxis(kPadRightX, c.deflection, keys);
        pad.SetAxis(kPadRightY, -c.deflection, keys);
        EXPECT_EQ(pad.CameraTurn(), c.motion) << c.deflection;
        EXPECT_EQ(pad.CameraTilt(), -c.motion + 0.0f) << c.deflection;
        EXPECT_EQ(AskedCount(ReadKeyBindings(keys)), 0) << "the right stick holds no key";
    }
}

TEST(GamepadList, TheFirstAttachedSteersAndHandsOnWhenItGoes) {
    GamepadList pads;
    EXPECT_EQ(pads.SteeringName(), nullptr);
    EXPECT_TRUE(pads.Attach(4, "first"));
    EXPECT_TRUE(pads.Attach(9, "second"));
    EXPECT_FALSE(pads.Attach(4, "first again"));
    EXPECT_TRUE(pads.Steers(4));
    EXPECT_FALSE(pads.Steers(9));
    EXPECT_FALSE(pads.Detach(9)) << "not the one steering";
    EXPECT_FALSE(pads.Detach(9)) << "already gone";
    EXPECT_TRUE(pads.Attach(5, "third"));
    EXPECT_STREQ(pads.NameOf(5), "third");
    EXPECT_TRUE(pads.Detach(4));
    EXPECT_TRUE(pads.Steers(5));
    EXPECT_STREQ(pads.SteeringName(), "third");
    EXPECT_EQ(pads.NameOf(4), nullptr);
    for (int id = 10; id < 10 + GamepadList::kMaxPads - 1; ++id)
        EXPECT_TRUE(pads.Attach(id, "more"));
    EXPECT_FALSE(pads.Attach(99, "one too many"));
}

}  // namespace
}  // namespace wobble
