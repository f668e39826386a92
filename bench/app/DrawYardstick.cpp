#include "DrawYardstick.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include "render/CameraApply.h"

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
    const WaterSurface& water = scene.water;
    for (int i = 0; i + 1 < water.cellsX; ++i) {
        for (int j = 0; j + 1 < water.cellsZ; ++j) {
            const unsigned c00 = i * water.cellsZ + j, c10 = c00 + water.cellsZ;
            waterIndices_.insert(waterIndices_.end(), {c00, c10, c00 + 1, c10 + 1, c00 + 1, c10});
        }
    }
    if (SDL_GL_ExtensionSupported("GL_ARB_sync")) {
        fenceSync_ = reinterpret_cast<FenceSyncFn>(SDL_GL_GetProcAddress("glFenceSync"));
        clientWaitSync_ =
            reinterpret_cast<ClientWaitSyncFn>(SDL_GL_GetProcAddress("glClientWaitSync"));
        deleteSync_ = reinterpret_cast<DeleteSyncFn>(SDL_GL_GetProcAddress("glDeleteSync"));
        if (clientWaitSync_ == nullptr || deleteSync_ == nullptr)
            fenceSync_ = nullptr;
    }
}

DrawYardstick::~DrawYardstick() {
    glFinish();
    for (void*& fence : fences_) {
        if (fence != nullptr)
            deleteSync_(fence);
        fence = nullptr;
    }
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
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(waterIndices_.size()), GL_UNSIGNED_INT,
                   waterIndices_.data());
    glDisable(GL_LIGHTING);

    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    WaitForFrameBeforeLast();
}

void DrawYardstick::WaitForFrameBeforeLast() {
    if (fenceSync_ == nullptr) {
        glFinish();
        return;
    }
    void* const drawn = fenceSync_(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    void*& before = fences_[frame_++ % 2];
    if (before != nullptr) {
        while (clientWaitSync_(before, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull) ==
               GL_TIMEOUT_EXPIRED) {
        }
        deleteSync_(before);
    }
    before = drawn;
}

}  // namespace wobble::bench
