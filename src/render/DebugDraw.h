#pragma once
// The body's debugging view: what carries the dressed surface.

namespace wobble {

class SoftBody;

// Every tetra's six edges in red, unlit (an edge shared by several tetras is
// drawn once for each), then the control points.
void DrawTetraWireframe(const SoftBody& body);

// The eight control particles as yellow points of size 8 (the point size
// stays in effect afterwards).
void DrawControlPoints(const SoftBody& body);

}  // namespace wobble
