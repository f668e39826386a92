// The application's window, GL context, events and display mode over SDL2.
//
// The program asks of the window system: one window of width x height
// showing a double-buffered RGBA OpenGL context with a 16-bit depth buffer,
// a buffer swap per frame, a close request that ends the main loop, a
// switch of the display mode and back, the cursor hidden and shown, and
// message boxes. SDL has no separate device context or pixel-format steps:
// the request is made through its GL attributes before the window exists.

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Application.h"
#include "app/platform/KeyCodes.h"
#include "app/platform/SdlMouse.h"

namespace wobble {

void Application::ShowMessage(const char* caption, const char* text, bool error) {
    // Also on stderr, so that a user without a display still reads it.
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (!options_.headless) {
        SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, caption,
                                 text, nullptr);
    }
}

bool Application::CreateRenderWindow() {
    // A window needs a display: without one SDL would quietly fall back to
    // its offscreen driver, and the program would run where nobody sees it.
    // So a windowed run only tries the display servers that are there (or
    // the driver the user named in SDL_VIDEODRIVER).
    std::string drivers;
    if (options_.headless) {
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
        ShowMessage("ERROR", "Failed To Register The Window Class.", true);
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
        Shutdown();
        ShowMessage("ERROR", text, true);
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

    window = videoStarted_ ? SDL_CreateWindow("OpenGL", 0, 0, display.width, display.height,
                                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
                                                  (options_.headless ? SDL_WINDOW_HIDDEN : 0))
                           : nullptr;
    if (window == nullptr)
        return fail("Window Creation Error.");

    renderContext = SDL_GL_CreateContext(window);
    if (renderContext == nullptr)
        return fail("Can't Create A GL Rendering Context.");
    if (SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(renderContext)) != 0) {
        return fail("Can't Activate The GL Rendering Context.");
    }
    // In a window the frame waits for the display; headless runs go as fast as they can.
    SDL_GL_SetSwapInterval(options_.headless ? 0 : 1);
    SDL_DisableScreenSaver();

    if (!options_.headless) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
    }
    systemMouse_ = std::make_unique<SdlMouse>(window);
    return true;
}

void Application::Shutdown() {
    if (renderContext != nullptr) {
        if (SDL_GL_MakeCurrent(window, nullptr) != 0) {
            ShowMessage("SHUTDOWN ERROR", "Release Of DC And RC Failed.", false);
        }
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(renderContext));
        renderContext = nullptr;
    }
    systemMouse_.reset();
    if (window != nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (display.fullscreen) {
        // Destroying the fullscreen window has restored the desktop's mode.
        SDL_ShowCursor(SDL_ENABLE);
        display.fullscreen = false;
    }
    // SDL's video subsystem stays up until the process ends, with the GL
    // driver pinned above.
    videoStarted_ = false;
}

void Application::WindowProc(const InputEvent& event) {
    switch (event.type) {
        case EventType::CloseRequest:
            // The quit message: the main loop fetches it in a later turn and ends.
            injected_.push_back(InputEvent{EventType::Quit});
            break;
        case EventType::Resized:
            // Viewport and projection stay as set at start-up.
            break;
        default:
            break;
    }
}

void Application::PrepareFullscreenMode() {
    fullscreenMode.width = display.width;
    fullscreenMode.height = display.height;
    fullscreenMode.bits = display.bits;
    fullscreenModePrepared_ = true;
}

void Application::ToggleFullscreen() {
    display.fullscreen = !display.fullscreen;
    if (window == nullptr)
        return;
    if (display.fullscreen) {
        SDL_DisplayMode mode = {};
        mode.format = fullscreenMode.bits >= 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
        mode.w = fullscreenMode.width;
        mode.h = fullscreenMode.height;
        // Results not examined: if the mode cannot be set the window still goes fullscreen.
        SDL_SetWindowDisplayMode(window, &mode);
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
        SDL_ShowWindow(window);
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        SDL_ShowWindow(window);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

bool Application::FetchSystemEvent(InputEvent& out) {
    if (!videoStarted_)
        return false;
    SDL_Event e;
    if (SDL_PollEvent(&e) == 0)
        return false;
    if (systemMouse_ != nullptr)
        static_cast<SdlMouse*>(systemMouse_.get())->HandleEvent(e);
    out = InputEvent();
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

void Application::SwapWindowBuffers() {
    if (window != nullptr)
        SDL_GL_SwapWindow(window);
    // A window's swap waits for the display; an offscreen one returns at once,
    // and an unthrottled run would queue frame after frame for the software
    // rasteriser's threads, which then hold ever more memory. Each headless
    // frame is finished before the next begins.
    if (options_.headless)
        glFinish();
}

MouseDevice* Application::SystemMouse() {
    return systemMouse_.get();
}

Image Application::ReadFrontBuffer() {
    return ReadFramebuffer(display.width, display.height, !options_.headless);
}

}  // namespace wobble
