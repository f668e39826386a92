#pragma once
// The page's drawing: WebGL 1 (OpenGL ES 2), drawing what render/ draws on
// the desktop with OpenGL 1.1's fixed pipeline, the same way: the clear
// colour, the projection and the camera matrix, one directional light with
// the fixed pipeline's defaults, lit per corner and normalised, materials
// of diffuse colour only; the surface flat (each triangle in the colour of
// its last corner, whose normal is the face's), the water smooth, the
// wireframe and the control points unlit, the pull's line and its end on top.

#include <vector>

#include "app/Drawing.h"

namespace wobble {

class WebGlDrawing : public Drawing {
public:
    void Setup(const DisplaySettings& display) override;
    void Prepare() override {}
    double DrawScene(const Scene& scene, const CameraView& view, bool surfaceView,
                     SurfaceRefresh surface) override;
    void DrawCrosshair(const DisplaySettings& display, float x, float y) override;
    void DrawRecordingDot(const DisplaySettings&) override {}
    void ReadFrame(Image& image, const DisplaySettings& display, bool front) override;

private:
    struct Program {
        unsigned id = 0;
        int position = -1, normal = -1;
        int camera = -1, projection = -1, light = -1, colour = -1, pointSize = -1;
    };
    void UseLit(const float colour[4]);
    void UseUnlit(float r, float g, float b, float pointSize);
    void DrawLit(const float* positions, int stride, const float* normals, int normalStride,
                 const float colour[4], unsigned mode, int count, const unsigned* indices);
    void DrawUnlit(const float* positions, int stride, unsigned mode, int count,
                   const unsigned* indices);
    // The corners through `program`, with normals when it takes them.
    void Draw(const Program& program, const float* positions, int stride, const float* normals,
              int normalStride, unsigned mode, int count, const unsigned* indices);

    DisplaySettings display_;
    Program lit_, unlit_;
    unsigned positions_ = 0, normals_ = 0, indices_ = 0;
    float camera_[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float projection_[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float light_[3] = {0.0f, 0.0f, 1.0f};  // towards the light, in the eye's frame
    std::vector<float> flatNormals_;       // the face's normal at each corner
    std::vector<unsigned> edges_;          // the tetras' edges
    std::vector<unsigned> grid_;           // the water's triangles, for a grid of gridX_ x gridZ_
    int gridX_ = 0, gridZ_ = 0;
};

}  // namespace wobble
