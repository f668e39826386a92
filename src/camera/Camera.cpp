#include "camera/Camera.h"

#include <climits>
#include <cmath>

#include "math/Saturate.h"
#include "math/VecMath.h"
#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// Degrees to radians with the factor rounded to float once, so every angle
// converts through the same float product.
constexpr float kDegreesToRadians = static_cast<float>(3.14159265358979323846 / 180.0);

// Eye heights above the centre that a follow mode starts from.
constexpr int kBehindHeight = 70;
constexpr int kLowHeight = 20;
// Distances of the follow eyes from the centre.
constexpr float kBehindDistance = 150.0f;
constexpr float kSideDistance = 170.0f;
constexpr float kFrontDistance = 150.0f;

constexpr float kPitchLimit = 90.0f;

// The height offset joins lift as an integer before it meets the vector;
// widened so that a lift near the int limit cannot overflow on the way.
float EyeHeight(int lift, int height) {
    return static_cast<float>(static_cast<long long>(lift) + height);
}

}  // namespace

void Camera::Reset() {
    position = SbVec3f(0.0f, 1.0f, 0.0f);
    yaw = 0.0f;
    pitch = 0.0f;
}

BodyFrame FrameOf(const SoftBody& body) {
    BodyFrame frame;
    frame.centre = body.controller.GetCentre();
    frame.forward = body.controller.GetForward();
    frame.side = body.controller.GetSide();
    return frame;
}

SbVec3f Camera::FollowEye(const SbVec3f& c, const SbVec3f& f, const SbVec3f& s) const {
    const float z = static_cast<float>(zoom);
    // Mode 1's eye, and the one mode 4 swings about the centre.
    const auto behindEye = [&] {
        SbVec3f e = c - kBehindDistance * f + z * f;
        e[1] += EyeHeight(lift, kBehindHeight);
        return e;
    };
    switch (mode) {
        case 1:
            return behindEye();
        case 2: {
            SbVec3f e = c + kSideDistance * s - z * s;
            e[1] += EyeHeight(lift, kLowHeight);
            return e;
        }
        case 3: {
            SbVec3f e = c + kFrontDistance * f - z * f;
            e[1] += EyeHeight(lift, kLowHeight);
            return e;
        }
        case 4: {
            // The behind eye, swung about the vertical through the centre:
            // v is the horizontal reach from that eye to the centre and w the
            // unit direction across it, so yaw turns the eye on the circle of
            // radius |v| at the behind eye's height.
            const SbVec3f e0 = behindEye();
            SbVec3f v = c - e0;
            v[1] = 0.0f;
            SbVec3f w = VecCross(v, SbVec3f(0.0f, 1.0f, 0.0f));
            VecNormalize(w);
            return e0 + (VecLength(v) * sinYaw) * w + (v - cosYaw * v);
        }
        default:
            return c;
    }
}

CameraView Camera::View(const BodyFrame& frame) const {
    CameraView view;
    if (mode == 0) {
        view.kind = CameraView::Kind::kFree;
        view.pitch = pitch;
        view.yaw = yaw;
        view.position = position;
        return view;
    }
    if (mode < 1 || mode > 4) {
        view.kind = CameraView::Kind::kIdentity;
        return view;
    }
    view.kind = CameraView::Kind::kLookAt;
    view.eye = FollowEye(frame.centre, frame.forward, frame.side);
    view.target = frame.centre;
    return view;
}

void Camera::MoveForward() {
    if (mode == 0) {
        position[0] -= sinYaw;
        position[2] -= cosYaw;
    } else if (mode >= 1 && mode <= 4) {
        zoom = SaturateToInt(static_cast<long long>(zoom) + moveStep);
    }
}

void Camera::MoveBackward() {
    if (mode == 0) {
        position[0] += sinYaw;
        position[2] += cosYaw;
    } else if (mode >= 1 && mode <= 4) {
        zoom = SaturateToInt(static_cast<long long>(zoom) - moveStep);
    }
}

void Camera::MoveLeft() {
    if (mode != 0)
        return;
    position[0] -= cosYaw;
    position[2] += sinYaw;
}

void Camera::MoveRight() {
    if (mode != 0)
        return;
    position[0] += cosYaw;
    position[2] -= sinYaw;
}

void Camera::NextMode(const BodyFrame& frame) {
    if (modeCounter != kModeCallsPerChange - 1) {
        ++modeCounter;
        return;
    }
    modeCounter = 0;
    zoom = 0;
    lift = 0;
    yaw = 0.0f;
    sinYaw = 0.0f;
    cosYaw = 0.0f;
    const int previous = mode;
    // A mode outside 0..4 can only come from writing the field directly; it
    // rejoins the cycle as the free camera instead of counting up forever.
    mode = (previous >= 0 && previous < 4) ? previous + 1 : 0;
    if (previous == 4) {
        // Leaving orbit puts the free camera where the body is, so the user
        // does not lose it; the height stays the free camera's own.
        position[0] = frame.centre[0];
        position[2] = frame.centre[2];
    }
}

void Camera::Turn(float dx) {
    yaw -= dx;
    const float radians = yaw * kDegreesToRadians;
    sinYaw = std::sin(radians);
    cosYaw = std::cos(radians);
}

void Camera::Tilt(float dy) {
    if (mode == 0) {
        pitch -= dy;
        if (pitch > kPitchLimit)
            pitch = kPitchLimit;
        if (pitch < -kPitchLimit)
            pitch = -kPitchLimit;
    } else if (mode >= 1 && mode <= 4) {
        const float raise = static_cast<float>(moveStep) * dy;
        lift = SaturateToInt(static_cast<long long>(lift) + TruncToIntSaturated(raise));
    }
}

}  // namespace wobble
