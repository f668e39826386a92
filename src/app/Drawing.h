#pragma once
// What the application asks of the drawing, which a renderer provides: the
// desktop's draws with OpenGL 1.1 through render/ (app/GlDrawing.h); another
// platform brings its own. The application never draws itself: every frame
// it hands the scene and the view it was seen from, and reads pictures back
// through here for screenshots and videos.
//
//   Setup once the window's context is current, Prepare while the scene loads,
//   then each frame: DrawScene -> (captures: ReadFrame, DrawRecordingDot)
//                   -> DrawCrosshair -> the window's swap

#include "render/DisplaySettings.h"
#include "render/Image.h"
#include "scene/Scene.h"

namespace wobble {

struct CameraView;

class Drawing {
public:
    virtual ~Drawing() = default;

    // The fixed state of the whole run, the light included.
    virtual void Setup(const DisplaySettings& display) = 0;
    // Has what a frame's lit triangles need made ready while other work goes
    // on, so that the first frame does not wait for it; draws nothing visible.
    virtual void Prepare() = 0;
    // Draws the scene as it stands, seen from `view`: the dressed surface, lit,
    // or the tetra wireframe in its plain colours; the water; the mouse's pull
    // while it holds. The surface's triangles may still be refreshing:
    // `surface` says how far, and waits for the rest as it goes, by the end.
    // Returns the milliseconds spent issuing the drawing.
    virtual double DrawScene(const Scene& scene, const CameraView& view, bool surfaceView,
                             SurfaceRefresh surface) = 0;
    // A small cross where the hidden cursor points, in viewport pixels.
    virtual void DrawCrosshair(const DisplaySettings& display, float x, float y) = 0;
    // The red dot in the corner that shows a video records.
    virtual void DrawRecordingDot(const DisplaySettings& display) = 0;
    // The picture drawn (`front`: the one on show rather than the one being
    // drawn), into `image`, whose storage is reused when it has the size.
    virtual void ReadFrame(Image& image, const DisplaySettings& display, bool front) = 0;
};

}  // namespace wobble
