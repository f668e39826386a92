#include "GlTestContext.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>

namespace wobble::test {

namespace {

struct SharedContext {
    bool tried = false;
    bool ok = false;
    std::string reason;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

SharedContext& Shared() {
    static SharedContext shared;
    return shared;
}

}  // namespace

bool GlTestContext::Acquire(std::string* reason) {
    SharedContext& s = Shared();
    if (!s.tried) {
        s.tried = true;
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            s.reason = SDL_GetError();
        } else {
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
            s.window = SDL_CreateWindow("OpenGL", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
            if (s.window != nullptr)
                s.context = SDL_GL_CreateContext(s.window);
            if (s.context == nullptr) {
                s.reason = SDL_GetError();
            } else {
                s.ok = true;
            }
        }
    }
    if (s.ok)
        SDL_GL_MakeCurrent(s.window, s.context);
    if (reason != nullptr)
        *reason = s.reason;
    return s.ok;
}

std::vector<uint8_t> GlTestContext::ReadPixels(int width, int height) {
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    std::vector<uint8_t> bottomUp(rows.size());
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        std::copy_n(&bottomUp[(height - 1 - y) * stride], stride, &rows[y * stride]);
    }
    return rows;
}

unsigned GlTestContext::FirstGlError() {
    unsigned first = 0;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        if (first == 0)
            first = e;
    }
    return first;
}

}  // namespace wobble::test
