#pragma once
// The mouse's hands on the scene. The left button pressed over the body
// grabs the particle at the point under the cursor, and while the button is
// held a bounded spring (softbody/BodyPull.h) pulls it towards the point
// under the cursor on the plane that faces the camera through the grab
// point. Pressed over the water away from the body, it pokes the water
// there as the splash key does at its fixed point.
//
// While a grab holds, the picture holds still: a following camera would
// otherwise follow the pulled body and carry the point under the cursor
// along with it, and the pull would never end. The application draws the
// held view and keeps the mouse from turning the camera meanwhile.

#include <Inventor/SbVec3f.h>

#include "camera/Camera.h"
#include "camera/PickRay.h"

namespace wobble {

class Scene;

struct Touch {
    enum class Kind { kNothing, kBody, kWater };
    Kind kind = Kind::kNothing;
    SbVec3f point{0.0f, 0.0f, 0.0f};  // where the ray meets what it touches
    int particle = -1;                // kBody: the particle nearest that point
};

// How far from a particle, seen from the eye, a ray may pass and still touch
// it when there is no surface to hit: this many pixels of a 60-degree view
// 600 pixels high.
constexpr float kTouchPixels = 8.0f;

// What the ray meets first: the body (its surface's triangles as last
// deformed when `surfaceShown`, otherwise the particle that the ray passes
// nearest, within kTouchPixels) or the water's resting plane over the pool.
Touch TouchAlongRay(const Scene& scene, const Ray& ray, const Lens& lens, bool surfaceShown);

class MouseHands {
public:
    // The left button went down at pixel (x, y) of the picture drawn through
    // `view`. Grabs the body or pokes the water (pokes only while
    // `simulating`, as the splash key) and says which it touched.
    Touch::Kind Press(Scene& scene, const CameraView& view, const Lens& lens, float x, float y,
                      bool surfaceShown, bool simulating);
    // The cursor at pixel (x, y) while the button is held: the pull's target
    // follows it, and the pull's stiffness follows the tuning.
    void Drag(Scene& scene, float x, float y);
    // Lets go.
    void Release(Scene& scene);

    bool Holding() const { return holding_; }
    // The view the grab was made in, drawn while it holds.
    const CameraView& HeldView() const { return view_; }

private:
    bool holding_ = false;
    CameraView view_;
    Lens lens_;
    SbVec3f grabPoint_{0.0f, 0.0f, 0.0f};  // the touched point at the press
    SbVec3f facing_{0.0f, 0.0f, -1.0f};    // the grab plane's normal: the view direction
    SbVec3f offset_{0.0f, 0.0f, 0.0f};     // the particle's place less the grab point
};

}  // namespace wobble
