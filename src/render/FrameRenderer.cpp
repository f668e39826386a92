#include "render/FrameRenderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>

#include "camera/Camera.h"
#include "render/CameraApply.h"
#include "render/DebugDraw.h"
#include "render/HandsDraw.h"
#include "render/SurfaceDraw.h"
#include "render/WaterDraw.h"
#include "scene/Scene.h"

namespace wobble {

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

void PrepareDrawing() {
    // A lit triangle of no area, through client arrays as a frame draws, flat
    // shaded like the surface and smooth like the water: the driver prepares
    // (a software rasteriser compiles) what they need, and no pixel changes.
    // Every state it touches is put back.
    static const GLfloat kCorners[9] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    static const GLfloat kNormals[9] = {0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LIGHTING_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnable(GL_LIGHTING);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, kCorners);
    glNormalPointer(GL_FLOAT, 0, kNormals);
    glShadeModel(GL_FLAT);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glShadeModel(GL_SMOOTH);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glPopClientAttrib();
    glPopAttrib();
}

void SetupLight() {
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
}

double DrawFrame(const Scene& scene, const CameraView& view, bool surfaceView,
                 const std::atomic<int>* refreshed) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // The dressed surface is lit; the wireframe shows its plain colours.
    if (surfaceView) {
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCamera(view);
    // Sent again under the current view, so the light stays fixed in the world.
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    if (surfaceView) {
        DrawSurfaceMesh(scene.body.surface, refreshed);
    } else {
        DrawTetraWireframe(scene.body);
    }
    DrawWater(scene.water);
    const double drawing = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const BodyPull& pull = scene.body.pull;
    if (pull.Active())
        DrawPullLine(scene.body.particles[static_cast<size_t>(pull.particle)].position,
                     pull.target);
    return drawing;
}

}  // namespace wobble
