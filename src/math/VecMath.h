#pragma once
// Inline twins of the out-of-line SbVec3f::length(), normalize() and cross()
// of Coin. The per-frame loops call them hundreds of thousands of times a
// second, and a call through the shared library's PLT costs more than the
// arithmetic. Each twin performs exactly Coin's operations in Coin's order,
// so results are bit-identical (tests/common/VecMathTest.cpp holds them to it).

#include <Inventor/SbVec3f.h>

#include <cmath>

namespace wobble {

// sqrt(x*x + y*y + z*z) in float, summed left to right.
inline float VecLength(const SbVec3f& v) {
    const float x = v[0], y = v[1], z = v[2];
    return std::sqrt(x * x + y * y + z * z);
}

// Scales to unit length through the reciprocal of the length; a vector whose
// length is not greater than zero (zero, or NaN) is left as it is. Returns
// the length, so a caller that needs both pays for one root.
inline float VecNormalize(SbVec3f& v) {
    const float len = VecLength(v);
    if (len > 0.0f) {
        const float inv = 1.0f / len;
        v[0] *= inv;
        v[1] *= inv;
        v[2] *= inv;
    }
    return len;
}

inline SbVec3f VecCross(const SbVec3f& a, const SbVec3f& b) {
    return SbVec3f(a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]);
}

inline bool VecIsFinite(const SbVec3f& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace wobble
