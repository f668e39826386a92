// Which key asks for what, held or once, read from a key table with no window.

#include "input/KeyBindings.h"

#include <gtest/gtest.h>

namespace wobble {
namespace {

struct Binding {
    const char* key;
    int code;
    bool KeyIntents::*intent;
    bool once;  // acts once per key-down and clears its entry; otherwise held
};

constexpr Binding kBindings[] = {
    {"T", 'T', &KeyIntents::toggleFullscreen, true},
    {"F5", vk::kF5, &KeyIntents::toggleFullscreen, true},
    {"Escape", vk::kEscape, &KeyIntents::quit, false},
    {"Up", vk::kUp, &KeyIntents::thrustForward, false},
    {"Down", vk::kDown, &KeyIntents::thrustBackward, false},
    {"Left", vk::kLeft, &KeyIntents::turnLeft, false},
    {"Right", vk::kRight, &KeyIntents::turnRight, false},
    {"W", 'W', &KeyIntents::cameraForward, false},
    {"S", 'S', &KeyIntents::cameraBackward, false},
    {"A", 'A', &KeyIntents::cameraLeft, false},
    {"D", 'D', &KeyIntents::cameraRight, false},
    {"M", 'M', &KeyIntents::toggleView, true},
    {"C", 'C', &KeyIntents::nextCameraMode, false},
    {"Z", 'Z', &KeyIntents::splash, false},
    {"F11", vk::kF11, &KeyIntents::splash, false},
    {"B", 'B', &KeyIntents::pump, false},
    {"keypad 2", vk::kNumpad2, &KeyIntents::pump, false},
    {"P", 'P', &KeyIntents::togglePause, true},
    {"O", 'O', &KeyIntents::stepOnce, true},
    {"R", 'R', &KeyIntents::reset, true},
    {"F12", vk::kF12, &KeyIntents::screenshot, true},
    {"F1", vk::kF1, &KeyIntents::toggleOverlay, true},
    {"F9", vk::kF9, &KeyIntents::toggleRecording, true},
    {"Tab", vk::kTab, &KeyIntents::togglePanel, true},
};

// Every intent of the value, to check that a key asks for nothing else.
constexpr bool KeyIntents::*kAllIntents[] = {
    &KeyIntents::toggleFullscreen,
    &KeyIntents::quit,
    &KeyIntents::thrustForward,
    &KeyIntents::thrustBackward,
    &KeyIntents::turnLeft,
    &KeyIntents::turnRight,
    &KeyIntents::cameraForward,
    &KeyIntents::cameraBackward,
    &KeyIntents::cameraLeft,
    &KeyIntents::cameraRight,
    &KeyIntents::toggleView,
    &KeyIntents::nextCameraMode,
    &KeyIntents::splash,
    &KeyIntents::pump,
    &KeyIntents::togglePause,
    &KeyIntents::stepOnce,
    &KeyIntents::reset,
    &KeyIntents::screenshot,
    &KeyIntents::toggleOverlay,
    &KeyIntents::toggleRecording,
    &KeyIntents::togglePanel,
};

TEST(KeyBindings, EachKeyAsksForItsIntentAloneHeldOrOnce) {
    for (const Binding& b : kBindings) {
        SCOPED_TRACE(b.key);
        KeyTable keys;
        keys.Press(b.code);
        const KeyIntents first = ReadKeyBindings(keys);
        for (bool KeyIntents::*intent : kAllIntents)
            EXPECT_EQ(first.*intent, intent == b.intent);
        // Still held, no new key-down: a held binding asks again, a once
        // binding has cleared its entry and stays quiet.
        EXPECT_EQ(keys.IsDown(b.code), !b.once);
        const KeyIntents second = ReadKeyBindings(keys);
        EXPECT_EQ(second.*b.intent, !b.once);
        // An auto-repeated key-down makes a once binding act again.
        keys.Press(b.code);
        EXPECT_TRUE(ReadKeyBindings(keys).*b.intent);
    }
}

TEST(KeyBindings, ANoKeyFrameAsksForNothing) {
    KeyTable keys;
    const KeyIntents none = ReadKeyBindings(keys);
    for (bool KeyIntents::*intent : kAllIntents)
        EXPECT_FALSE(none.*intent);
}

TEST(KeyBindings, APressAndReleaseBetweenTwoFramesActsInTheNextFrameOnly) {
    for (const Binding& b : kBindings) {
        SCOPED_TRACE(b.key);
        KeyTable keys;
        keys.Press(b.code);
        keys.Release(b.code);
        EXPECT_TRUE(ReadKeyBindings(keys).*b.intent);
        EXPECT_FALSE(keys.IsDown(b.code));
        EXPECT_FALSE(ReadKeyBindings(keys).*b.intent);
    }
}

TEST(KeyTable, AKeyHeldAcrossFramesIsUpAtItsKeyUp) {
    KeyTable keys;
    keys.Press(vk::kUp);
    ReadKeyBindings(keys);
    keys.Press(vk::kUp);  // auto-repeat of a key a frame has seen
    keys.Release(vk::kUp);
    EXPECT_FALSE(keys.IsDown(vk::kUp));
    EXPECT_FALSE(ReadKeyBindings(keys).thrustForward);
}

TEST(KeyTable, APressAfterAQuickTapKeepsTheKeyDown) {
    KeyTable keys;
    keys.Press('C');
    keys.Release('C');
    keys.Press('C');
    EXPECT_TRUE(ReadKeyBindings(keys).nextCameraMode);
    EXPECT_TRUE(keys.IsDown('C'));  // the second press has no key-up yet
}

TEST(KeyTable, CodesOutsideTheTableAreIgnored) {
    KeyTable keys;
    for (int code : {-1, 256, 1000}) {
        keys.Press(code);
        keys.Release(code);
        EXPECT_FALSE(keys.IsDown(code));
    }
    for (int code = 0; code < KeyTable::kSize; ++code)
        EXPECT_FALSE(keys.IsDown(code));
}

}  // namespace
}  // namespace wobble
