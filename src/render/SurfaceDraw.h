#pragma once

#include <atomic>

namespace wobble {

class SurfaceMesh;

// Draws the surface's triangles lit, each with its face normal, in the
// mesh's diffuse colour, from the drawing arrays of its latest deformation
// (nothing before the first); leaves GL_LIGHTING disabled and the current
// colour white (black for a surface without triangles). With `refreshed`,
// the triangles are still being refreshed elsewhere: each piece is drawn once
// the count has passed it (see Scene::StartDeformSurface); null when all are.
void DrawSurfaceMesh(const SurfaceMesh& mesh, const std::atomic<int>* refreshed = nullptr);

}  // namespace wobble
