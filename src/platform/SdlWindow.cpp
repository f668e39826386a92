#include "platform/SdlWindow.h"

#include <SDL2/SDL.h>
#include <imgui/backends/imgui_impl_sdl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "input/KeyTable.h"
#include "platform/FrameMemory.h"
#include "platform/KeyCodes.h"
#include "platform/SdlGamepads.h"
#include "platform/SdlMouse.h"

namespace wobble {

SdlWindow::SdlWindow(bool headless) : headless_(headless) {
    // The driver's memory of one frame stays for the next
    // (platform/FrameMemory.h). Set before anything large is allocated, the
    // scene's arrays included, so that they are placed the same way in
    // every run.
    KeepFrameMemory();
}

SdlWindow::~SdlWindow() {
    Release();
}

void SdlWindow::ShowMessage(const char* caption, const char* text, MessageIcon icon) {
    // Also on stderr, so that a user without a display still reads it.
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (!headless_) {
        SDL_ShowSimpleMessageBox(
            icon == MessageIcon::kWarning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION,
            caption, text, nullptr);
    }
}

bool SdlWindow::Create(const DisplaySettings& display) {
    // A window needs a display: without one SDL would quietly fall back to
    // its offscreen driver, and the program would run where nobody sees it.
    // So a windowed run only tries the display servers that are there (or
    // the driver the user named in SDL_VIDEODRIVER).
    std::string drivers;
    if (headless_) {
        drivers = "offscreen";
    } else if (const char* named = std::getenv("SDL_VIDEODRIVER"); named != nullptr && *named) {
        drivers = named;
    } else {
        if (std::getenv("DISPLAY") != nullptr)
            drivers = "x11";
        if (std::getenv("WAYLAND_DISPLAY") != nullptr)
            drivers += drivers.empty() ? "wayland" : ",wayland";
    }
    // Keep the screen saver and monitor power-down away while the demo runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (!drivers.empty())
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    if (!drivers.empty() && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        videoStarted_ = true;
    } else {
        ShowMessage("ERROR", "Failed To Register The Window Class.", MessageIcon::kWarning);
        std::fprintf(
            stderr, "wobble: no display to open the window on (%s); --headless runs without one\n",
            drivers.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : SDL_GetError());
    }

    // Load the GL driver once for the whole process and keep it: SDL unloads
    // it with the last GL window otherwise, and its one-time allocations
    // would then lose their module name, so that a leak checker could no
    // longer tell them from ours.
    static bool driverPinned = false;
    if (videoStarted_ && !driverPinned)
        driverPinned = SDL_GL_LoadLibrary(nullptr) == 0;

    auto fail = [this](const char* text) {
        Release();
        ShowMessage("ERROR", text, MessageIcon::kWarning);
        return false;
    };

    // The pixel format request: RGBA, double-buffered, `bits` colour bits, 16-bit depth.
    const int channelBits = display.bits >= 32 ? 8 : display.bits / 4;
    if (videoStarted_ && (SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits) != 0 ||
                          SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits) != 0 ||
                          SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits) != 0 ||
                          SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) != 0 ||
                          SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16) != 0 ||
                          SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0) != 0)) {
        return fail("Can't Find A Suitable PixelFormat.");
    }

    window_ = videoStarted_ ? SDL_CreateWindow("OpenGL", 0, 0, display.width, display.height,
                                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
                                                   (headless_ ? SDL_WINDOW_HIDDEN : 0))
                            : nullptr;
    if (window_ == nullptr)
        return fail("Window Creation Error.");

    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr)
        return fail("Can't Create A GL Rendering Context.");
    if (SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_)) != 0)
        return fail("Can't Activate The GL Rendering Context.");
    // In a window the frame waits for the display; headless runs go as fast
    // as the rasteriser keeps up with.
    SDL_GL_SetSwapInterval(headless_ ? 0 : 1);
    if (headless_)
        pacer_.Start();
    SDL_DisableScreenSaver();

    if (!headless_) {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
    }
    mouse_ = std::make_unique<SdlMouse>(window_);
    gamepads_ = std::make_unique<SdlGamepads>(headless_);
    return true;
}

void SdlWindow::Release() {
    if (context_ != nullptr) {
        pacer_.Stop();
        if (SDL_GL_MakeCurrent(window_, nullptr) != 0) {
            ShowMessage("SHUTDOWN ERROR", "Release Of DC And RC Failed.",
                        MessageIcon::kInformation);
        }
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
        context_ = nullptr;
    }
    StopPanelInput();
    mouse_.reset();
    gamepads_.reset();
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
    if (fullscreen_) {
        // Destroying the fullscreen window has restored the desktop's mode.
        if (!headless_)
            SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
        fullscreen_ = false;
    }
    // SDL's video subsystem stays up until the process ends, with the GL
    // driver pinned above.
    videoStarted_ = false;
}

void SdlWindow::SetFullscreen(bool fullscreen, const FullscreenMode& mode) {
    fullscreen_ = fullscreen;
    if (window_ == nullptr)
        return;
    if (fullscreen) {
        SDL_DisplayMode sdlMode = {};
        sdlMode.format = mode.bits >= 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
        sdlMode.w = mode.width;
        sdlMode.h = mode.height;
        // Results not examined: if the mode cannot be set the window still goes fullscreen.
        SDL_SetWindowDisplayMode(window_, &sdlMode);
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN);
        SDL_ShowWindow(window_);
        SDL_ShowCursor(SDL_DISABLE);
        // With the cursor hidden the mouse is relative: motion keeps coming
        // at the screen's edge, so turning the camera never stops there.
        if (!headless_)
            SDL_SetRelativeMouseMode(SDL_TRUE);
    } else {
        if (!headless_)
            SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_SetWindowFullscreen(window_, 0);
        SDL_ShowWindow(window_);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

bool SdlWindow::PollEvent(InputEvent& out) {
    if (!videoStarted_)
        return false;
    if (buttonWaits_) {
        buttonWaits_ = false;
        out = waitingButton_;
        return true;
    }
    SDL_Event e;
    if (SDL_PollEvent(&e) == 0)
        return false;
    if (mouse_ != nullptr)
        mouse_->HandleEvent(e);
    if (panelInput_)
        ImGui_ImplSDL2_ProcessEvent(&e);
    out = InputEvent();
    if (gamepads_ != nullptr && gamepads_->Translate(e, out))
        return true;
    switch (e.type) {
        case SDL_QUIT:
            out.type = EventType::Quit;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            out.virtualKey = VirtualKeyFromSdl(e.key.keysym);
            // A key with no code in the table is dropped, not written anywhere.
            if (out.virtualKey >= 0 && out.virtualKey < KeyTable::kSize) {
                out.type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
            }
            break;
        case SDL_MOUSEMOTION:
            out.type = EventType::CursorMoved;
            out.x = cursorX_ = e.motion.x;
            out.y = cursorY_ = e.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            out.button = e.button.button == SDL_BUTTON_LEFT     ? kLeftButton
                         : e.button.button == SDL_BUTTON_RIGHT  ? kRightButton
                         : e.button.button == SDL_BUTTON_MIDDLE ? kMiddleButton
                                                                : -1;
            if (out.button < 0)
                break;
            out.type = e.type == SDL_MOUSEBUTTONDOWN ? EventType::ButtonDown : EventType::ButtonUp;
            if (e.button.x != cursorX_ || e.button.y != cursorY_) {
                waitingButton_ = out;
                buttonWaits_ = true;
                out = InputEvent();
                out.type = EventType::CursorMoved;
                out.x = cursorX_ = e.button.x;
                out.y = cursorY_ = e.button.y;
            }
            break;
        case SDL_DROPFILE:
            // Folders come this way too; SDL hands over the string to free.
            if (e.drop.file != nullptr) {
                out.type = EventType::Drop;
                out.path = e.drop.file;
                SDL_free(e.drop.file);
            }
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                out.type = EventType::CloseRequest;
            if (e.window.event == SDL_WINDOWEVENT_RESIZED ||
                e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                out.type = EventType::Resized;
            }
            break;
        default:
            break;
    }
    return true;
}

void SdlWindow::SwapBuffers() {
    if (window_ != nullptr)
        SDL_GL_SwapWindow(window_);
    // A window's swap waits for the display; an offscreen one returns at
    // once, so the pacer bounds the frames in flight (platform/FramePacer.h).
    if (headless_ && context_ != nullptr)
        pacer_.Pace();
}

MouseDevice* SdlWindow::Mouse() {
    return mouse_.get();
}

void SdlWindow::Size(int& width, int& height) const {
    width = height = 0;
    if (window_ != nullptr)
        SDL_GetWindowSize(window_, &width, &height);
}

void SdlWindow::StartPanelInput() {
    if (panelInput_ || window_ == nullptr)
        return;
    panelInput_ = ImGui_ImplSDL2_InitForOpenGL(window_, context_);
}

void SdlWindow::BeginPanelFrame() {
    if (panelInput_)
        ImGui_ImplSDL2_NewFrame();
}

void SdlWindow::StopPanelInput() {
    if (!panelInput_)
        return;
    ImGui_ImplSDL2_Shutdown();
    panelInput_ = false;
}

}  // namespace wobble
