#pragma once
// Surfaces of our own making for the scene builder's tests, as OBJ text:
// closed shapes, a shape with a hole and duplicated seam vertices, two loose
// parts, and detail enough to reach hundreds of thousands of triangles.

#include <string>

namespace wobble::test {

struct ShapeOptions {
    int around = 32;        // segments around the main circle
    int along = 16;         // segments from pole to pole (or around the tube)
    bool quads = true;      // quads, or each quad cut into two triangles
    bool reversed = false;  // corners clockwise seen from outside
};

// A sphere of radius r about (cx, cy, cz); the seam and the poles repeat vertices.
std::string SphereObj(double r, double cx, double cy, double cz, const ShapeOptions& o = {});
// A torus around the y axis: ring radius R, tube radius r.
std::string TorusObj(double R, double r, const ShapeOptions& o = {});
// A boat-like hull, long along x: deep keel below, flat-ish deck above.
std::string HullObj(const ShapeOptions& o = {});
// A sphere with an open cap of `holeRows` rows at its top, whose seam
// vertices are written twice: a model that is not watertight.
std::string HoleySphereObj(int holeRows, const ShapeOptions& o = {});
// Two spheres apart from each other, in one file.
std::string TwoSpheresObj(const ShapeOptions& o = {});

}  // namespace wobble::test
