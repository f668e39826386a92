#pragma once

#include <Inventor/SbVec3f.h>

namespace wobble {

class SoftBody;

// The view one frame is drawn from, as the camera computes it: what the
// modelview matrix is made of (render/CameraApply.h loads it).
struct CameraView {
    enum class Kind {
        kUntouched,  // no view computed yet: the matrix is left as it is
        kIdentity,   // a mode outside 0..4: the identity and nothing more
        kFree,       // rotate by -pitch about x, then -yaw about y, then move by -position
        kLookAt,     // look from `eye` at `target` with (0, 1, 0) up
    };
    Kind kind = Kind::kUntouched;
    float pitch = 0.0f;                  // kFree, degrees
    float yaw = 0.0f;                    // kFree, degrees
    SbVec3f position{0.0f, 0.0f, 0.0f};  // kFree
    SbVec3f eye{0.0f, 0.0f, 0.0f};       // kLookAt
    SbVec3f target{0.0f, 0.0f, 0.0f};    // kLookAt: the body's centre
};

// The body's frame as its thrust controller last derived it, taken by value
// for each view: what the follow modes look at, and where the free camera
// goes when orbit mode is left.
struct BodyFrame {
    SbVec3f centre{0.0f, 0.0f, 0.0f};
    SbVec3f forward{0.0f, 0.0f, 0.0f};  // unit length once the body has stepped
    SbVec3f side{0.0f, 0.0f, 0.0f};     // forward x up
};

// The frame of `body` as it stands.
BodyFrame FrameOf(const SoftBody& body);

// The viewpoint. Mode 0 is a free camera that flies in the horizontal plane;
// modes 1 to 4 follow the body's frame (centre c, forward f, side s) as read
// from its thrust controller:
//
//        mode 3 (front): c + 150 f, 20 up
//                  ^ f
//                  |
//                  c ---> s    mode 2 (side): c + 170 s, 20 up
//                  |
//        mode 1 (behind): c - 150 f, 70 up
//        mode 4 (orbit): the behind eye carried around the vertical through c by yaw
//
// A follow eye moves `zoom` towards the body and `lift` up; both start from 0
// in every follow mode. Angles are in degrees.
class Camera {
public:
    // NextMode changes the mode on every seventh call.
    static constexpr int kModeCallsPerChange = 7;

    Camera() = default;
    virtual ~Camera() = default;

    // Free camera at (0, 1, 0) looking along -z, level.
    void Reset();
    // The view of the current mode, from the body's frame (the frame loop
    // asks before the body's step, so a following camera sees the frame of
    // the previous step).
    CameraView View(const BodyFrame& frame) const;

    // The eye of the current follow mode (1 to 4) for the given body frame,
    // as View places it; `centre` unchanged in any other mode.
    SbVec3f FollowEye(const SbVec3f& centre, const SbVec3f& forward, const SbVec3f& side) const;

    // Free camera: one unit along the view direction or across it, never up.
    // Follow modes: forward and backward zoom by moveStep; left and right do nothing.
    void MoveForward();
    void MoveBackward();
    void MoveLeft();
    void MoveRight();
    // Counts calls; every seventh moves on 4 -> 0 -> 1 -> 2 -> 3 -> 4. The
    // count is never cleared by releasing the key, so presses add up. Leaving
    // orbit puts the free camera over the centre of `frame`.
    void NextMode(const BodyFrame& frame);

    // Horizontal mouse motion: yaw -= dx, and its sine and cosine refreshed.
    void Turn(float dx);
    // Vertical mouse motion: pitches the free camera (clamped to +-90) or
    // raises a follow eye by moveStep * dy, truncated toward zero.
    void Tilt(float dy);

    SbVec3f position{0.0f, 1.0f, 0.0f};  // free-camera eye, world units
    float pitch = 0.0f;                  // free camera's tilt about x, degrees, -90..90
    float yaw = 0.0f;                    // turn about the vertical, degrees (modes 0 and 4)
    int mode = 4;                        // 0 free, 1 behind, 2 side, 3 front, 4 orbit
    int modeCounter = 0;                 // mode-key calls counted towards the next change
    int zoom = 0;                        // distance a follow eye has moved towards the body
    int lift = 0;                        // height added to a follow eye
    int moveStep = 2;                    // step of zoom and scale of lift
    // Refreshed by every Turn; the main loop turns before anything reads them.
    float sinYaw = 0.0f;
    float cosYaw = 1.0f;
};

}  // namespace wobble
