#include "render/CameraApply.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "camera/Camera.h"

namespace wobble {

void ApplyCamera(const CameraView& view) {
    if (view.kind == CameraView::Kind::kUntouched)
        return;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    switch (view.kind) {
        case CameraView::Kind::kFree:
            glRotatef(-view.pitch, 1.0f, 0.0f, 0.0f);
            glRotatef(-view.yaw, 0.0f, 1.0f, 0.0f);
            glTranslatef(-view.position[0], -view.position[1], -view.position[2]);
            break;
        case CameraView::Kind::kLookAt: {
            const SbVec3f& e = view.eye;
            const SbVec3f& c = view.target;
            gluLookAt(e[0], e[1], e[2], c[0], c[1], c[2], 0.0, 1.0, 0.0);
            break;
        }
        default:
            break;
    }
}

}  // namespace wobble
