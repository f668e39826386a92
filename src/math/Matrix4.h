#pragma once
// A 4 x 4 float matrix in row-major order: element (r, c) at m[4r + c].
//
// Each tetra keeps one whose column c holds corner c as (x, y, z, 1):
//
//        corner:  0    1    2    3
//   row 0 (x)  [ x0   x1   x2   x3 ]
//   row 1 (y)  [ y0   y1   y2   y3 ]      M * (w0, w1, w2, w3) = (sum wc pc, sum wc)
//   row 2 (z)  [ z0   z1   z2   z3 ]
//   row 3      [ 1    1    1    1  ]
//
// so multiplying by barycentric weights gives a point, and solving for a
// point (x, y, z, 1) gives its barycentric weights.

namespace wobble {

class Matrix4 {
public:
    Matrix4();  // the identity

    float& operator()(int r, int c) { return m[4 * r + c]; }
    float operator()(int r, int c) const { return m[4 * r + c]; }

    // out[r] = sum over c of M(r, c) * v[c], each sum formed in double and rounded to float.
    void Multiply(const float v[4], float out[4]) const;

    // Solves M x = b in double precision; x is written only when the solve succeeds.
    bool Solve(float x[4], const float b[4]) const;

    float m[16];
};

}  // namespace wobble
