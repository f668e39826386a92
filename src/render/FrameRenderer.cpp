#include "render/FrameRenderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>

#include "camera/Camera.h"
#include "softbody/SoftBody.h"
#include "water/WaterSurface.h"

namespace wobble {

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

void SetupGLState(const DisplaySettings& display) {
    glClearColor(0.3f, 0.3f, 1.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);  // the water's normals are not unit length
    glShadeModel(GL_SMOOTH);
    const GLfloat ambient[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glViewport(0, 0, display.width, display.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(static_cast<double>(display.fieldOfView),
                   static_cast<double>(display.width) / static_cast<double>(display.height),
                   static_cast<double>(display.nearPlane), static_cast<double>(display.farPlane));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void DrawFrame(const FrameScene& scene, FrameTimings* timings) {
    FrameTimings t;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene.camera->Apply();
    // Sent again under the current view, so the light stays fixed in the world.
    glLightfv(GL_LIGHT0, GL_POSITION, scene.lightPosition);

    Clock::time_point start = Clock::now();
    if (scene.simulate)
        scene.body->Step(kBodyTimeStep);
    t.bodyStep = MillisecondsSince(start);

    start = Clock::now();
    if (scene.surfaceView) {
        scene.body->DeformSurface();
        t.surface = MillisecondsSince(start);
        start = Clock::now();
        scene.body->surface.Draw();
    } else {
        scene.body->DrawTetraWireframe();
    }
    double drawing = MillisecondsSince(start);

    start = Clock::now();
    if (scene.simulate)
        scene.water->Step(kWaterTimeStep);
    t.waterStep = MillisecondsSince(start);

    start = Clock::now();
    scene.water->Draw();
    t.drawing = drawing + MillisecondsSince(start);
    if (timings != nullptr)
        *timings = t;
}

}  // namespace wobble
