#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "input/MouseDevice.h"
#include "input/MouseInput.h"

namespace wobble {
namespace {

// A mouse whose motion the test makes: counts pile up until the next read,
// as a relative device delivers them. While unavailable its reads fail and,
// like a real device that fails part-way, scribble over the record first.
class ScriptedMouse : public MouseDevice {
public:
    void Move(int32_t x, int32_t y, int32_t wheel = 0) {
        pending.lX += x;
        pending.lY += y;
        pending.lZ += wheel;
    }

    bool Read(MouseState& state) override {
        ++reads;
        if (!available) {
            state.lX = 777;
            state.lY = -777;
            std::memset(state.rgbButtons, 0x5A, sizeof state.rgbButtons);
            pending = MouseState{};
            return false;
        }
        state = pending;
        std::memcpy(state.rgbButtons, held, sizeof held);
        pending = MouseState{};
        return true;
    }

    MouseState pending;
    uint8_t held[4] = {0, 0, 0, 0};
    bool available = true;
    int reads = 0;
};

class MouseInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        input.SetWindow(&mouse);
        input.Initialize();
    }

    // Junk in every output, so that "kept" and "zeroed" are both real.
    void FillWithJunk() {
        input.dx = 99.0f;
        input.dy = -99.0f;
        const uint8_t junk[4] = {0x11, 0x22, 0x33, 0x44};
        std::memcpy(input.buttons, junk, 4);
        input.state.lX = 1234;
        input.state.lY = -4321;
        input.state.lZ = 55;
        std::memcpy(input.state.rgbButtons, junk, 4);
    }

    void ExpectJunkButtonsAndStateKept() {
        const uint8_t junk[4] = {0x11, 0x22, 0x33, 0x44};
        EXPECT_EQ(std::memcmp(input.buttons, junk, 4), 0);
        EXPECT_EQ(std::memcmp(input.state.rgbButtons, junk, 4), 0);
        EXPECT_EQ(input.state.lX, 1234);
        EXPECT_EQ(input.state.lY, -4321);
        EXPECT_EQ(input.state.lZ, 55);
    }

    ScriptedMouse mouse;
    MouseInput input;
};

TEST(MouseInputDefaults, HalfACountPerCountAndNothingHeld) {
    MouseInput input;
    EXPECT_EQ(input.device, nullptr);
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(input.dy, 0.0f);
    EXPECT_EQ(input.sensitivityX, 0.5f);
    EXPECT_EQ(input.sensitivityY, 0.5f);
    for (uint8_t b : input.buttons)
        EXPECT_EQ(b, 0);
}

TEST_F(MouseInputTest, TenCountsGiveFiveAndNoMotionGivesZero) {
    mouse.Move(10, -6);
    input.Update();
    EXPECT_EQ(input.dx, 5.0f);
    EXPECT_EQ(input.dy, -3.0f);
    EXPECT_EQ(input.state.lX, 10);
    input.Update();
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(input.dy, 0.0f);
}

TEST_F(MouseInputTest, MotionBetweenTwoFramesIsReadOnce) {
    mouse.Move(3, 1);
    mouse.Move(4, 2);
    input.Update();
    EXPECT_EQ(input.dx, 3.5f);
    EXPECT_EQ(input.dy, 1.5f);
    mouse.Move(-1, 0);
    input.Update();
    EXPECT_EQ(input.dx, -0.5f);
    EXPECT_EQ(input.dy, 0.0f);
}

TEST_F(MouseInputTest, WheelChangesNeitherAxis) {
    FillWithJunk();
    mouse.Move(0, 0, 240);
    input.Update();
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(input.dy, 0.0f);
    mouse.Move(4, 8, -120);
    input.Update();
    EXPECT_EQ(input.dx, 2.0f);
    EXPECT_EQ(input.dy, 4.0f);
}

TEST_F(MouseInputTest, SensitivityScalesEachAxis) {
    input.sensitivityX = 0.25f;
    input.sensitivityY = -2.0f;
    mouse.Move(10, 3);
    input.Update();
    EXPECT_EQ(input.dx, 2.5f);
    EXPECT_EQ(input.dy, -6.0f);
}

TEST_F(MouseInputTest, ButtonsAreCopiedFromTheRead) {
    FillWithJunk();
    const uint8_t held[4] = {0x80, 0, 0x80, 0};
    std::memcpy(mouse.held, held, 4);
    input.Update();
    EXPECT_EQ(std::memcmp(input.buttons, held, 4), 0);
    mouse.held[0] = 0;
    input.Update();
    EXPECT_EQ(input.buttons[0], 0);
    EXPECT_EQ(input.buttons[2], 0x80);
}

TEST_F(MouseInputTest, FailedReadGivesNoMotionAndKeepsTheLastState) {
    FillWithJunk();
    mouse.Move(10, 10);
    mouse.available = false;
    input.Update();
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(input.dy, 0.0f);
    ExpectJunkButtonsAndStateKept();
    // Every frame reads again; the stale delta never comes back.
    input.Update();
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(mouse.reads, 3);  // Initialize's and two frames'
}

TEST_F(MouseInputTest, MotionResumesWhenTheDeviceComesBack) {
    mouse.available = false;
    mouse.Move(50, 50);
    input.Update();
    mouse.available = true;
    mouse.Move(2, -2);
    input.Update();
    EXPECT_EQ(input.dx, 1.0f);
    EXPECT_EQ(input.dy, -1.0f);
}

TEST_F(MouseInputTest, InitializeDropsMotionMadeBeforeStartUp) {
    ScriptedMouse early;
    early.Move(400, -300);
    MouseInput fresh;
    fresh.SetWindow(&early);
    fresh.Initialize();
    early.Move(6, 0);
    fresh.Update();
    EXPECT_EQ(fresh.dx, 3.0f);
    EXPECT_EQ(fresh.dy, 0.0f);
}

TEST(MouseInputWithoutDevice, NeverMovesAndKeepsButtons) {
    MouseInput input;
    input.SetWindow(nullptr);
    input.Initialize();
    input.dx = 7.0f;
    input.dy = 7.0f;
    input.buttons[1] = 0x80;
    input.Update();
    EXPECT_EQ(input.dx, 0.0f);
    EXPECT_EQ(input.dy, 0.0f);
    EXPECT_EQ(input.buttons[1], 0x80);
}

}  // namespace
}  // namespace wobble
