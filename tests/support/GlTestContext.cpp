#include "GlTestContext.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

const GLfloat kSceneVertices[9] = {};
// What the scene's state enables, and what it leaves disabled.
const GLenum kSceneOn[] = {GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE, GL_VERTEX_ARRAY,
                           GL_NORMAL_ARRAY};
const GLenum kSceneOff[] = {GL_TEXTURE_2D, GL_BLEND, GL_SCISSOR_TEST, GL_COLOR_ARRAY,
                            GL_TEXTURE_COORD_ARRAY};

}  // namespace

SceneGlState::SceneGlState() {
    glViewport(0, 0, 800, 600);
    for (const GLenum on : {GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE})
        glEnable(on);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 3.0, -2.0, 5.0, -7.0, 7.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, kSceneVertices);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glGetFloatv(GL_PROJECTION_MATRIX, projection_);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview_);
    glGetFloatv(GL_CURRENT_COLOR, colour_);
}

void SceneGlState::ExpectKept() const {
    GLfloat projection[16], modelview[16], colour[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::memcmp(projection, projection_, sizeof projection), 0);
    EXPECT_EQ(std::memcmp(modelview, modelview_, sizeof modelview), 0);
    EXPECT_EQ(std::memcmp(colour, colour_, sizeof colour), 0);
    GLint mode = 0, texture = -1;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(texture, 0);
    for (const GLenum on : kSceneOn)
        EXPECT_TRUE(glIsEnabled(on)) << "0x" << std::hex << on;
    for (const GLenum off : kSceneOff)
        EXPECT_FALSE(glIsEnabled(off)) << "0x" << std::hex << off;
    GLvoid* pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, kSceneVertices);
}

SceneGlState::~SceneGlState() {
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    for (const GLenum on : {GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE})
        glDisable(on);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

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
