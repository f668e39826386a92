#pragma once

#include "input/MouseDevice.h"
#include "math/Saturate.h"

namespace wobble {

// The mouse the main loop reads: the system mouse, plus the raw counts that
// a replay file adds to the next read.
class ReplayMouse : public MouseDevice {
public:
    explicit ReplayMouse(MouseDevice* system) : system_(system) {}

    void AddCounts(int dx, int dy) {
        pendingX_ = SaturateToInt(pendingX_ + dx);
        pendingY_ = SaturateToInt(pendingY_ + dy);
        pending_ = true;
    }

    bool Read(MouseState& state) override {
        MouseState read;
        const bool ok = system_ != nullptr && system_->Read(read);
        if (!ok) {
            // Without the system mouse (no focus, headless) replayed counts still arrive.
            read = MouseState();
            for (int k = 0; k < 4; ++k)
                read.rgbButtons[k] = state.rgbButtons[k];
        }
        read.lX = SaturateToInt(read.lX + pendingX_);
        read.lY = SaturateToInt(read.lY + pendingY_);
        const bool any = ok || pending_;
        pendingX_ = pendingY_ = 0;
        pending_ = false;
        if (any)
            state = read;
        return any;
    }

private:
    MouseDevice* system_;
    long long pendingX_ = 0;
    long long pendingY_ = 0;
    bool pending_ = false;
};

}  // namespace wobble
