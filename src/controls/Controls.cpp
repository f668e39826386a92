#include "controls/Controls.h"

#include "camera/Camera.h"
#include "scene/Scene.h"

namespace wobble {

void ApplyControls(const KeyIntents& asked, bool simulating, Scene& scene, Camera& camera) {
    if (simulating) {
        scene.body.controller.Steer(asked.thrustForward, asked.thrustBackward, asked.turnLeft,
                                    asked.turnRight);
    }
    if (asked.cameraForward)
        camera.MoveForward();
    if (asked.cameraBackward)
        camera.MoveBackward();
    if (asked.cameraLeft)
        camera.MoveLeft();
    if (asked.cameraRight)
        camera.MoveRight();
    if (asked.nextCameraMode)
        camera.NextMode(FrameOf(scene.body));
    if (simulating && asked.splash)
        scene.Splash();
    if (simulating && asked.pump)
        scene.Pump();
}

}  // namespace wobble
