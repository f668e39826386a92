#pragma once

namespace wobble {

class SurfaceMesh;

// Draws the surface's triangles lit, each with its face normal, in the
// mesh's diffuse colour; leaves GL_LIGHTING disabled.
void DrawSurfaceMesh(const SurfaceMesh& mesh);

}  // namespace wobble
