#pragma once
// From a pixel of the window back into the world: the ray from the eye
// through that pixel, found by inverting the projection and the camera
// matrix of the frame (what gluPerspective and render/CameraApply.h build
// from the same numbers), so the mouse can point at what the picture shows.
// Plain arithmetic: no GL is asked.

#include <Inventor/SbVec3f.h>

#include "camera/Camera.h"

namespace wobble {

// The projection a frame is drawn with: the viewport in pixels and
// gluPerspective's field of view and clipping planes. The display's settings
// (render/DisplaySettings.h) are a lens, so these are the program's values.
struct Lens {
    int width = 800;            // pixels
    int height = 600;           // pixels
    float fieldOfView = 60.0f;  // vertical, degrees
    float nearPlane = 1.0f;     // world units from the eye
    float farPlane = 2000.0f;   // world units from the eye
};

struct Ray {
    SbVec3f origin{0.0f, 0.0f, 0.0f};     // on the near plane
    SbVec3f direction{0.0f, 0.0f, 1.0f};  // unit length, away from the eye
};

// The ray through pixel (x, y) of the viewport (pixels from its top-left
// corner; the ray passes through the pixel's centre, x + 0.5). False when
// the view sets no matrix (kUntouched) or its matrices cannot be inverted
// (a look-at straight up or down, a lens without area), and for values that
// are not finite.
bool RayThroughPixel(const CameraView& view, const Lens& lens, float x, float y, Ray& ray);

// The camera matrix and the projection a drawing loads for `view` and `lens`
// (what render/ asks of GL 1.1), column-major as GL and WebGL take them;
// false for a view that leaves the matrix as it is.
bool CameraMatrices(const CameraView& view, const Lens& lens, float camera[16],
                    float projection[16]);

// The direction the view looks in (unit length); false as above.
bool ViewDirection(const CameraView& view, SbVec3f& direction);

// Where the ray meets the plane through `point` with normal `normal`, at a
// distance along the ray of more than 0; false when it runs parallel to the
// plane or away from it.
bool RayHitsPlane(const Ray& ray, const SbVec3f& point, const SbVec3f& normal, SbVec3f& hit);

}  // namespace wobble
