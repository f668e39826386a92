#pragma once
// The part of Coin's SbVec2f, SbVec3f and SbVec4f that the core uses, for
// builds where Coin is not there (WebAssembly: the browser and Node). Every
// operation is Coin's own, in Coin's order and in float, so a step computes
// the same bits on either side; tests/math/CoinStandInTest.cpp holds them to
// Coin's. The web build puts this folder's Inventor/ on its include path, so
// the core's <Inventor/SbVec3f.h> finds these; the desktop never sees them.

#include <cmath>

namespace wobble::coin_standin {

// What the three classes share: element-wise arithmetic, element by element,
// and the dot product summed left to right, as Coin's inline members do.
template <int N, typename Vector>
class CoinVector {
public:
    Vector& setValue(const float v[N]) {
        for (int i = 0; i < N; ++i)
            vec[i] = v[i];
        return Self();
    }
    const float* getValue() const { return vec; }
    float& operator[](int i) { return vec[i]; }
    const float& operator[](int i) const { return vec[i]; }

    float dot(const Vector& v) const {
        float sum = vec[0] * v[0];
        for (int i = 1; i < N; ++i)
            sum = sum + vec[i] * v[i];
        return sum;
    }
    float sqrLength() const { return dot(Self()); }
    void negate() {
        for (float& x : vec)
            x = -x;
    }

    Vector& operator*=(float d) {
        for (float& x : vec)
            x *= d;
        return Self();
    }
    // Coin divides by multiplying with the reciprocal.
    Vector& operator/=(float d) { return operator*=(1.0f / d); }
    Vector& operator+=(const Vector& v) {
        for (int i = 0; i < N; ++i)
            vec[i] += v[i];
        return Self();
    }
    Vector& operator-=(const Vector& v) {
        for (int i = 0; i < N; ++i)
            vec[i] -= v[i];
        return Self();
    }
    Vector operator-() const {
        Vector v(Self());
        v.negate();
        return v;
    }

    friend Vector operator*(const Vector& v, float d) { return Vector(v) *= d; }
    friend Vector operator*(float d, const Vector& v) { return Vector(v) *= d; }
    friend Vector operator/(const Vector& v, float d) { return Vector(v) /= d; }
    friend Vector operator+(const Vector& a, const Vector& b) { return Vector(a) += b; }
    friend Vector operator-(const Vector& a, const Vector& b) { return Vector(a) -= b; }
    friend int operator==(const Vector& a, const Vector& b) {
        for (int i = 0; i < N; ++i)
            if (!(a[i] == b[i]))
                return 0;
        return 1;
    }
    friend int operator!=(const Vector& a, const Vector& b) { return !(a == b); }

protected:
    Vector& Self() { return static_cast<Vector&>(*this); }
    const Vector& Self() const { return static_cast<const Vector&>(*this); }

    float vec[N];
};

class SbVec2f : public CoinVector<2, SbVec2f> {
public:
    SbVec2f() {}
    SbVec2f(const float v[2]) { setValue(v[0], v[1]); }
    SbVec2f(float x, float y) { setValue(x, y); }
    SbVec2f& setValue(float x, float y) {
        vec[0] = x;
        vec[1] = y;
        return *this;
    }
    void getValue(float& x, float& y) const {
        x = vec[0];
        y = vec[1];
    }
    using CoinVector::getValue;
    using CoinVector::setValue;
};

class SbVec3f : public CoinVector<3, SbVec3f> {
public:
    SbVec3f() {}
    SbVec3f(const float v[3]) { setValue(v[0], v[1], v[2]); }
    SbVec3f(float x, float y, float z) { setValue(x, y, z); }
    SbVec3f& setValue(float x, float y, float z) {
        vec[0] = x;
        vec[1] = y;
        vec[2] = z;
        return *this;
    }
    void getValue(float& x, float& y, float& z) const {
        x = vec[0];
        y = vec[1];
        z = vec[2];
    }
    using CoinVector::getValue;
    using CoinVector::setValue;

    // Coin's out-of-line members: the root of the float sum of squares; the
    // scaling by the reciprocal of the length, only when it is above zero.
    float length() const { return std::sqrt(sqrLength()); }
    float normalize() {
        const float len = length();
        if (len > 0.0f)
            operator*=(1.0f / len);
        return len;
    }
    SbVec3f cross(const SbVec3f& v) const {
        return SbVec3f(vec[1] * v[2] - vec[2] * v[1], vec[2] * v[0] - vec[0] * v[2],
                       vec[0] * v[1] - vec[1] * v[0]);
    }
};

class SbVec4f : public CoinVector<4, SbVec4f> {
public:
    SbVec4f() {}
    SbVec4f(const float v[4]) { setValue(v[0], v[1], v[2], v[3]); }
    SbVec4f(float x, float y, float z, float w) { setValue(x, y, z, w); }
    SbVec4f& setValue(float x, float y, float z, float w) {
        vec[0] = x;
        vec[1] = y;
        vec[2] = z;
        vec[3] = w;
        return *this;
    }
    void getValue(float& x, float& y, float& z, float& w) const {
        x = vec[0];
        y = vec[1];
        z = vec[2];
        w = vec[3];
    }
    using CoinVector::getValue;
    using CoinVector::setValue;
};

}  // namespace wobble::coin_standin
