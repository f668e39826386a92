// The cursor and buttons as events leave them.

#include "input/Pointer.h"

#include <gtest/gtest.h>

namespace wobble {
namespace {

InputEvent Button(EventType type, int button) {
    InputEvent e;
    e.type = type;
    e.button = button;
    return e;
}

TEST(Pointer, APressShorterThanAFrameStillCountsForTheNextFrame) {
    Pointer pointer;
    InputEvent moved;
    moved.type = EventType::CursorMoved;
    moved.x = 12;
    moved.y = -3;
    pointer.Handle(moved);
    pointer.Handle(Button(EventType::ButtonDown, kLeftButton));
    pointer.Handle(Button(EventType::ButtonUp, kLeftButton));
    moved.x = 40;
    pointer.Handle(moved);
    EXPECT_EQ(pointer.x, 40);
    EXPECT_EQ(pointer.y, -3);
    EXPECT_EQ(pointer.pressX[kLeftButton], 12);  // where it went down
    EXPECT_EQ(pointer.pressY[kLeftButton], -3);
    EXPECT_FALSE(pointer.down[kLeftButton]);
    EXPECT_TRUE(pointer.pressed[kLeftButton]);
    pointer.EndFrame();
    EXPECT_FALSE(pointer.pressed[kLeftButton]);

    // Held across frames: down, pressed only in its first frame.
    pointer.Handle(Button(EventType::ButtonDown, kRightButton));
    pointer.EndFrame();
    EXPECT_TRUE(pointer.down[kRightButton]);
    EXPECT_FALSE(pointer.pressed[kRightButton]);
}

TEST(Pointer, UnknownButtonsAndOtherEventsChangeNothing) {
    Pointer pointer;
    for (int button : {-1, static_cast<int>(kMouseButtons), 1000})
        pointer.Handle(Button(EventType::ButtonDown, button));
    InputEvent key;
    key.type = EventType::KeyDown;
    key.x = 5;
    pointer.Handle(key);
    EXPECT_EQ(pointer.x, 0);
    for (int b = 0; b < kMouseButtons; ++b)
        EXPECT_FALSE(pointer.down[b] || pointer.pressed[b]) << b;
}

}  // namespace
}  // namespace wobble
