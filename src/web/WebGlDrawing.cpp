#include "web/WebGlDrawing.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "camera/Camera.h"
#include "camera/PickRay.h"
#include "render/HandsDraw.h"
#include "scene/Scene.h"

namespace wobble {

namespace {

// Where render/ puts light 0: a direction (w = 0), given under the camera
// matrix, so fixed in the world.
constexpr float kLightDirection[3] = {-10.0f, 5.0f, 2.0f};
constexpr float kClear[4] = {0.3f, 0.3f, 1.0f, 1.0f};

// The fixed pipeline's lighting for one light of diffuse (1, 1, 1) and no
// specular: the scene's ambient 0.6 times the material's default ambient
// 0.2, plus the diffuse colour times the facing of the normalised normal.
const char* const kLitVertex = R"(
attribute vec3 position;
attribute vec3 normal;
uniform mat4 camera;
uniform mat4 projection;
uniform vec3 light;
uniform vec4 colour;
varying vec4 shade;
void main() {
  vec3 n = normalize(mat3(camera) * normal);
  float facing = max(dot(n, light), 0.0);
  shade = vec4(clamp(vec3(0.12) + facing * colour.rgb, 0.0, 1.0), colour.a);
  gl_Position = projection * (camera * vec4(position, 1.0));
})";

const char* const kUnlitVertex = R"(
attribute vec3 position;
uniform mat4 camera;
uniform mat4 projection;
uniform vec4 colour;
uniform float pointSize;
varying vec4 shade;
void main() {
  shade = colour;
  gl_PointSize = pointSize;
  gl_Position = projection * (camera * vec4(position, 1.0));
})";

const char* const kFragment = R"(
precision mediump float;
varying vec4 shade;
void main() { gl_FragColor = shade; })";

unsigned Compile(unsigned kind, const char* source) {
    const unsigned shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

template <typename Program>
Program Link(const char* vertex) {
    Program p;
    p.id = glCreateProgram();
    glAttachShader(p.id, Compile(GL_VERTEX_SHADER, vertex));
    glAttachShader(p.id, Compile(GL_FRAGMENT_SHADER, kFragment));
    glLinkProgram(p.id);
    GLint linked = GL_FALSE;
    glGetProgramiv(p.id, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        // Said once; the frames go on, without this program's drawing.
        char log[512] = "";
        glGetProgramInfoLog(p.id, sizeof log, nullptr, log);
        std::fprintf(stderr, "wobble: WebGL refused a shader program: %s\n", log);
    }
    p.position = glGetAttribLocation(p.id, "position");
    p.normal = glGetAttribLocation(p.id, "normal");
    p.camera = glGetUniformLocation(p.id, "camera");
    p.projection = glGetUniformLocation(p.id, "projection");
    p.light = glGetUniformLocation(p.id, "light");
    p.colour = glGetUniformLocation(p.id, "colour");
    p.pointSize = glGetUniformLocation(p.id, "pointSize");
    return p;
}

void Upload(unsigned target, unsigned buffer, const void* data, size_t bytes) {
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
}

}  // namespace

void WebGlDrawing::Setup(const DisplaySettings& display) {
    glClearColor(kClear[0], kClear[1], kClear[2], kClear[3]);
    glClearDepthf(1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glViewport(0, 0, display.width, display.height);
    display_ = display;
    lit_ = Link<Program>(kLitVertex);
    unlit_ = Link<Program>(kUnlitVertex);
    glGenBuffers(1, &positions_);
    glGenBuffers(1, &normals_);
    glGenBuffers(1, &indices_);
}

void WebGlDrawing::UseLit(const float colour[4]) {
    glUseProgram(lit_.id);
    glUniformMatrix4fv(lit_.camera, 1, GL_FALSE, camera_);
    glUniformMatrix4fv(lit_.projection, 1, GL_FALSE, projection_);
    glUniform3fv(lit_.light, 1, light_);
    glUniform4fv(lit_.colour, 1, colour);
}

void WebGlDrawing::UseUnlit(float r, float g, float b, float pointSize) {
    glUseProgram(unlit_.id);
    glUniformMatrix4fv(unlit_.camera, 1, GL_FALSE, camera_);
    glUniformMatrix4fv(unlit_.projection, 1, GL_FALSE, projection_);
    glUniform4f(unlit_.colour, r, g, b, 1.0f);
    glUniform1f(unlit_.pointSize, pointSize);
}

void WebGlDrawing::DrawLit(const float* positions, int stride, const float* normals,
                           int normalStride, const float colour[4], unsigned mode, int count,
                           const unsigned* indices) {
    UseLit(colour);
    Draw(lit_, positions, stride, normals, normalStride, mode, count, indices);
}

void WebGlDrawing::DrawUnlit(const float* positions, int stride, unsigned mode, int count,
                             const unsigned* indices) {
    Draw(unlit_, positions, stride, nullptr, 0, mode, count, indices);
}

void WebGlDrawing::Draw(const Program& program, const float* positions, int stride,
                        const float* normals, int normalStride, unsigned mode, int count,
                        const unsigned* indices) {
    // The arrays as far as the drawing reaches into them.
    const int vertices = indices == nullptr
                             ? count
                             : static_cast<int>(*std::max_element(indices, indices + count)) + 1;
    Upload(GL_ARRAY_BUFFER, positions_, positions, static_cast<size_t>(vertices) * stride);
    glEnableVertexAttribArray(program.position);
    glVertexAttribPointer(program.position, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    if (normals != nullptr) {
        Upload(GL_ARRAY_BUFFER, normals_, normals, static_cast<size_t>(vertices) * normalStride);
        glEnableVertexAttribArray(program.normal);
        glVertexAttribPointer(program.normal, 3, GL_FLOAT, GL_FALSE, normalStride, nullptr);
    }
    if (indices == nullptr) {
        glDrawArrays(mode, 0, count);
    } else {
        Upload(GL_ELEMENT_ARRAY_BUFFER, indices_, indices, sizeof(unsigned) * count);
        glDrawElements(mode, count, GL_UNSIGNED_INT, nullptr);
    }
    if (normals != nullptr)
        glDisableVertexAttribArray(program.normal);
    glDisableVertexAttribArray(program.position);
}

double WebGlDrawing::DrawScene(const Scene& scene, const CameraView& view, bool surfaceView,
                               SurfaceRefresh surface) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    surface.Finish();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A view not yet computed leaves the matrices as they were.
    CameraMatrices(view, display_, camera_, projection_);
    // The light's direction under the camera's rotation, normalised, as GL
    // keeps it once given.
    float d[3];
    for (int r = 0; r < 3; ++r)
        d[r] = camera_[r] * kLightDirection[0] + camera_[4 + r] * kLightDirection[1] +
               camera_[8 + r] * kLightDirection[2];
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int r = 0; r < 3; ++r)
        light_[r] = d[r] / length;

    const SoftBody& body = scene.body;
    if (surfaceView) {
        const SurfaceMesh& mesh = body.surface;
        const size_t corners = static_cast<size_t>(mesh.triangleCount) * 3;
        if (corners > 0 && mesh.cornerPositions.size() == corners &&
            mesh.flatNormals.size() == corners + 2) {
            // Flat shading lights a triangle as its last corner, whose normal
            // starts at that corner's float: each corner here gets it.
            flatNormals_.resize(corners * 3);
            for (size_t t = 0; t < corners / 3; ++t)
                for (size_t c = 0; c < 3; ++c)
                    std::copy_n(&mesh.flatNormals[3 * t + 2], 3, &flatNormals_[9 * t + 3 * c]);
            DrawLit(mesh.cornerPositions.data()->getValue(), sizeof(SbVec3f), flatNormals_.data(),
                    3 * sizeof(float), mesh.diffuse, GL_TRIANGLES, static_cast<int>(corners),
                    nullptr);
        }
    } else {
        edges_.clear();
        for (int t = 0; t < body.tetraCount; ++t)
            for (const auto& edge : Tetra::kEdges) {
                edges_.push_back(static_cast<unsigned>(body.tetras[t].cornerIndices[edge[0]]));
                edges_.push_back(static_cast<unsigned>(body.tetras[t].cornerIndices[edge[1]]));
            }
        if (!edges_.empty()) {
            UseUnlit(1.0f, 0.0f, 0.0f, 1.0f);
            DrawUnlit(body.particles.data()->position.getValue(), sizeof(Particle), GL_LINES,
                      static_cast<int>(edges_.size()), edges_.data());
        }
        SbVec3f points[8];
        int count = 0;
        for (const Particle* p : body.controller.controlParticles)
            if (p != nullptr)
                points[count++] = p->position;
        if (count > 0) {
            UseUnlit(1.0f, 1.0f, 0.0f, 8.0f);
            DrawUnlit(points[0].getValue(), sizeof(SbVec3f), GL_POINTS, count, nullptr);
        }
    }
    const WaterSurface& water = scene.water;
    if (water.cellsX != gridX_ || water.cellsZ != gridZ_) {
        // Two triangles a cell, in render/'s order.
        grid_.clear();
        for (int i = 0; i + 1 < water.cellsX; ++i)
            for (int j = 0; j + 1 < water.cellsZ; ++j) {
                const unsigned c00 = i * water.cellsZ + j, c10 = c00 + water.cellsZ;
                grid_.insert(grid_.end(), {c00, c10, c00 + 1, c10 + 1, c00 + 1, c10});
            }
        gridX_ = water.cellsX;
        gridZ_ = water.cellsZ;
    }
    if (!grid_.empty())
        DrawLit(water.positions.data()->getValue(), sizeof(SbVec3f),
                water.normals.data()->getValue(), sizeof(SbVec3f), water.colour, GL_TRIANGLES,
                static_cast<int>(grid_.size()), grid_.data());
    const double drawing = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const BodyPull& pull = body.pull;
    if (pull.Active()) {
        const SbVec3f line[2] = {body.particles[static_cast<size_t>(pull.particle)].position,
                                 pull.target};
        glDisable(GL_DEPTH_TEST);
        UseUnlit(1.0f, 1.0f, 1.0f, 7.0f);
        DrawUnlit(line[0].getValue(), sizeof(SbVec3f), GL_LINES, 2, nullptr);
        DrawUnlit(line[1].getValue(), sizeof(SbVec3f), GL_POINTS, 1, nullptr);
        glEnable(GL_DEPTH_TEST);
    }
    return drawing;
}

void WebGlDrawing::DrawCrosshair(const DisplaySettings& display, float x, float y) {
    // In pixels from the bottom-left corner, as render/ draws it.
    const float cx = x + 0.5f, cy = y + 0.5f, size = kCrosshairSize, gap = 2.0f;
    const float lines[8][3] = {{cx - size, cy, 0}, {cx - gap, cy, 0},  {cx + gap, cy, 0},
                               {cx + size, cy, 0}, {cx, cy - size, 0}, {cx, cy - gap, 0},
                               {cx, cy + gap, 0},  {cx, cy + size, 0}};
    const float pixels[16] = {
        2.0f / display.width, 0, 0, 0, 0, 2.0f / display.height, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glDisable(GL_DEPTH_TEST);
    glUseProgram(unlit_.id);
    glUniformMatrix4fv(unlit_.camera, 1, GL_FALSE, identity);
    glUniformMatrix4fv(unlit_.projection, 1, GL_FALSE, pixels);
    glUniform4f(unlit_.colour, 1.0f, 1.0f, 1.0f, 1.0f);
    glUniform1f(unlit_.pointSize, 1.0f);
    DrawUnlit(&lines[0][0], 3 * sizeof(float), GL_LINES, 8, nullptr);
    glEnable(GL_DEPTH_TEST);
}

void WebGlDrawing::ReadFrame(Image& image, const DisplaySettings& display, bool) {
    // WebGL reads RGBA only; the rows come bottom first.
    std::vector<unsigned char> rgba(static_cast<size_t>(display.width) * display.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, display.width, display.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    image.width = display.width;
    image.height = display.height;
    image.rgb.resize(static_cast<size_t>(display.width) * display.height * 3);
    for (int y = 0; y < display.height; ++y)
        for (int x = 0; x < display.width; ++x)
            for (int c = 0; c < 3; ++c)
                image.rgb[(static_cast<size_t>(display.height - 1 - y) * display.width + x) * 3 +
                          c] = rgba[(static_cast<size_t>(y) * display.width + x) * 4 + c];
}

}  // namespace wobble
