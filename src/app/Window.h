#pragma once
// What the application asks of the window system, which the platform layer
// (src/platform) provides: one window of width x height showing a
// double-buffered RGBA OpenGL context with a 16-bit depth buffer, current on
// the main thread; events; a buffer swap per frame; a switch of the display
// to fullscreen and back with the cursor hidden and shown (and the mouse
// relative there, so turning never stops at the screen's edge); the
// relative mouse; the cursor and the buttons as events; message boxes; and
// the input side of the panel's Dear ImGui.

#include "input/InputEvent.h"
#include "input/MouseDevice.h"
#include "render/DisplaySettings.h"

namespace wobble {

// The display mode the fullscreen toggle switches to, prepared on the first
// evaluation of the key bindings.
struct FullscreenMode {
    int width = 0;
    int height = 0;
    int bits = 0;
};

enum class MessageIcon {
    kWarning,      // an exclamation mark: something could not be done
    kInformation,  // an "i": a note about the end of the run
};

class Window {
public:
    virtual ~Window() = default;

    // Creates the window and its context, makes the context current and shows
    // the window (headless: keeps it hidden). On failure releases what was
    // made, shows the reason in a message box captioned "ERROR" and returns
    // false.
    virtual bool Create(const DisplaySettings& display) = 0;
    // Releases the context and the window, restoring the desktop's display
    // mode and cursor if fullscreen; failures show "SHUTDOWN ERROR" boxes.
    // Safe to call again.
    virtual void Release() = 0;

    // The next waiting event, translated; false when none waits.
    virtual bool PollEvent(InputEvent& event) = 0;
    // Shows the drawn frame; a headless window lets it draw while the next is
    // prepared, with at most two frames in flight.
    virtual void SwapBuffers() = 0;
    // Fullscreen at `mode` (the cursor hidden), or back to the window.
    virtual void SetFullscreen(bool fullscreen, const FullscreenMode& mode) = 0;
    // The window's relative mouse; null before Create.
    virtual MouseDevice* Mouse() = 0;

    // A message box with the text also on stderr, so that it is read without a
    // display too (a headless window shows only that line).
    virtual void ShowMessage(const char* caption, const char* text, MessageIcon icon) = 0;

    // No visible window: frames go to an offscreen buffer.
    virtual bool IsHeadless() const = 0;

    // The window's size now, in pixels. The viewport keeps the display's
    // size at the window's bottom-left corner whatever the window measures.
    virtual void Size(int& width, int& height) const {
        width = 0;
        height = 0;
    }
    // The cursor is hidden (fullscreen): the application marks where it points.
    virtual bool CursorHidden() const { return false; }

    // The panel's input: the window's events go to Dear ImGui once started
    // (its context exists), and each of the panel's frames begins here.
    virtual void StartPanelInput() {}
    virtual void BeginPanelFrame() {}
    virtual void StopPanelInput() {}
};

}  // namespace wobble
