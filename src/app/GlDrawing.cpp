#include "app/GlDrawing.h"

#include "render/FrameRenderer.h"
#include "render/HandsDraw.h"
#include "render/RecordingDot.h"
#include "render/Screenshot.h"

namespace wobble {

void GlDrawing::Setup(const DisplaySettings& display) {
    SetupGLState(display);
    SetupLight();
}

void GlDrawing::Prepare() {
    PrepareDrawing();
}

double GlDrawing::DrawScene(const Scene& scene, const CameraView& view, bool surfaceView,
                            SurfaceRefresh surface) {
    return DrawFrame(scene, view, surfaceView, surface.Refreshed());
}

void GlDrawing::DrawCrosshair(const DisplaySettings& display, float x, float y) {
    wobble::DrawCrosshair(display, x, y);
}

void GlDrawing::DrawRecordingDot(const DisplaySettings& display) {
    wobble::DrawRecordingDot(display);
}

void GlDrawing::ReadFrame(Image& image, const DisplaySettings& display, bool front) {
    ReadFramebuffer(image, display.width, display.height, front);
}

}  // namespace wobble
