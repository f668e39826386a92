#pragma once

namespace wobble {

struct CameraView;

// Loads the modelview matrix of a camera's view (see camera/Camera.h); a
// kUntouched view leaves every matrix as it is.
void ApplyCamera(const CameraView& view);

}  // namespace wobble
