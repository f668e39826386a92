#pragma once

namespace wobble {

class SurfaceMesh;

// Draws the surface's triangles lit, each with its face normal, in the
// mesh's diffuse colour, from the corner arrays of its latest deformation
// (nothing before the first); leaves GL_LIGHTING disabled and the current
// colour white (black for a surface without triangles).
void DrawSurfaceMesh(const SurfaceMesh& mesh);

}  // namespace wobble
