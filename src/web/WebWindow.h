#pragma once
// The page's window: the canvas and its WebGL context, the events the page's
// script hands over (web/page/wobble.js calls the functions of WebMain.cpp),
// the mouse's motion in counts, the Fullscreen API and the pointer lock.

#include <deque>

#include "app/Window.h"

namespace wobble {

class WebWindow : public Window, public MouseDevice {
public:
    bool Create(const DisplaySettings& display) override;
    void Release() override {}
    bool PollEvent(InputEvent& event) override;
    // The browser shows the frame when the animation frame's callback returns.
    void SwapBuffers() override {}
    void SetFullscreen(bool fullscreen, const FullscreenMode& mode) override;
    MouseDevice* Mouse() override { return this; }
    void ShowMessage(const char* caption, const char* text, MessageIcon icon) override;
    bool IsHeadless() const override { return false; }
    void Size(int& width, int& height) const override;
    bool CursorHidden() const override { return pointerLocked; }

    bool Read(MouseState& state) override;

    // From the page.
    void Push(const InputEvent& event) { events_.push_back(event); }
    void AddMotion(int dx, int dy) {
        motionX_ += dx;
        motionY_ += dy;
    }
    bool pointerLocked = false;
    bool buttons[3] = {false, false, false};

private:
    std::deque<InputEvent> events_;
    int motionX_ = 0, motionY_ = 0;
};

// KeyboardEvent.code as a virtual-key code of input/KeyTable.h, as the
// desktop's keys give them; -1 for a key the program does not know.
int VirtualKeyFromCode(const char* code, bool numLock);

}  // namespace wobble
