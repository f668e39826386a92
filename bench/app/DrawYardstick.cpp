#include "DrawYardstick.h"

#include <GL/gl.h>

#include "render/CameraApply.h"
#include "render/WaterDraw.h"

namespace wobble::bench {

DrawYardstick::DrawYardstick(const Scene& scene) : scene_(scene) {
    const SurfaceMesh& mesh = scene.body.surface;
    surfacePositions_.reserve(static_cast<size_t>(mesh.triangleCount) * 9);
    surfaceNormals_.reserve(static_cast<size_t>(mesh.triangleCount) * 9);
    const int* slot = mesh.vertexIndices.data();
    for (int t = 0; t < mesh.triangleCount; ++t, slot += SurfaceMesh::kSlotsPerTriangle) {
        for (int c = 0; c < 3; ++c) {
            for (int a = 0; a < 3; ++a) {
                surfacePositions_.push_back(mesh.vertices[slot[c]][a]);
                surfaceNormals_.push_back(mesh.faceNormals[t][a]);
            }
        }
    }
    pacer_.Start();
}

DrawYardstick::~DrawYardstick() {
    pacer_.Stop();
}

void DrawYardstick::DrawFrame(const CameraView& view, const float lightPosition[4]) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCamera(view);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);

    const SurfaceMesh& mesh = scene_.body.surface;
    glMaterialfv(GL_FRONT, GL_DIFFUSE, mesh.diffuse);
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_LIGHTING);
    glVertexPointer(3, GL_FLOAT, 0, surfacePositions_.data());
    glNormalPointer(GL_FLOAT, 0, surfaceNormals_.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(surfacePositions_.size() / 3));

    const WaterSurface& water = scene_.water;
    glColor3f(0.0f, 0.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, water.colour);
    glVertexPointer(3, GL_FLOAT, sizeof(SbVec3f), water.positions.data());
    glNormalPointer(GL_FLOAT, sizeof(SbVec3f), water.normals.data());
    const std::vector<unsigned>& triangles = WaterGridTriangles(water.cellsX, water.cellsZ);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangles.size()), GL_UNSIGNED_INT,
                   triangles.data());
    glDisable(GL_LIGHTING);

    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    pacer_.Pace();
}

}  // namespace wobble::bench
