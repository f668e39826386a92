#pragma once
// The desktop's drawing: OpenGL 1.1 fixed-function through render/, in the
// context the platform's window made current.

#include "app/Drawing.h"

namespace wobble {

class GlDrawing : public Drawing {
public:
    void Setup(const DisplaySettings& display) override;
    void Prepare() override;
    double DrawScene(const Scene& scene, const CameraView& view, bool surfaceView,
                     SurfaceRefresh surface) override;
    void DrawCrosshair(const DisplaySettings& display, float x, float y) override;
    void DrawRecordingDot(const DisplaySettings& display) override;
    void ReadFrame(Image& image, const DisplaySettings& display, bool front) override;
};

}  // namespace wobble
