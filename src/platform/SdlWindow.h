#pragma once
// The program's window over SDL2: the window, its GL context, fullscreen,
// the event queue (translated to the application's events), the mouse, the
// gamepads, and
// Dear ImGui's SDL back end for the panel.
// SDL has no separate device context or pixel-format steps: the request is
// made through its GL attributes before the window exists.

#include <memory>

#include "app/Window.h"
#include "platform/FramePacer.h"

struct SDL_Window;

namespace wobble {

class SdlGamepads;
class SdlMouse;

class SdlWindow : public Window {
public:
    // `headless`: SDL's offscreen driver, nothing shown, frames paced only by
    // the rasteriser.
    explicit SdlWindow(bool headless);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool Create(const DisplaySettings& display) override;
    void Release() override;
    bool PollEvent(InputEvent& event) override;
    void SwapBuffers() override;
    void SetFullscreen(bool fullscreen, const FullscreenMode& mode) override;
    MouseDevice* Mouse() override;
    void ShowMessage(const char* caption, const char* text, MessageIcon icon) override;
    bool IsHeadless() const override { return headless_; }
    void Size(int& width, int& height) const override;
    bool CursorHidden() const override { return fullscreen_ && !headless_; }
    void StartPanelInput() override;
    void BeginPanelFrame() override;
    void StopPanelInput() override;

private:
    bool headless_;
    bool videoStarted_ = false;
    bool fullscreen_ = false;
    bool panelInput_ = false;  // Dear ImGui's SDL back end is started
    // The cursor's place as last reported, and a button event held back for
    // one PollEvent while the cursor's new place goes first: a button acts
    // where the cursor is, and a cursor that has not moved since the window
    // appeared under it has not been reported yet.
    int cursorX_ = -1, cursorY_ = -1;
    bool buttonWaits_ = false;
    InputEvent waitingButton_;
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;  // the SDL_GLContext
    std::unique_ptr<SdlMouse> mouse_;
    std::unique_ptr<SdlGamepads> gamepads_;
    FramePacer pacer_;  // headless: bounds the frames in flight
};

}  // namespace wobble
