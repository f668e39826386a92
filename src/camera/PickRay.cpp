#include "camera/PickRay.h"

#include <cmath>
#include <utility>

namespace wobble {

namespace {

// 4 x 4 in double, row-major, acting on column vectors: what GL keeps in
// column-major floats, at a precision where inverting it loses nothing that
// matters for a pixel.
struct Mat {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Mat Multiply(const Mat& a, const Mat& b) {
    Mat r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    }
    return r;
}

// glRotatef(degrees, ...) about a coordinate axis (0 x, 1 y).
Mat Rotation(double degrees, int axis) {
    const double r = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(r), s = std::sin(r);
    Mat m;
    if (axis == 0) {
        m.m[1][1] = c, m.m[1][2] = -s, m.m[2][1] = s, m.m[2][2] = c;
    } else {
        m.m[0][0] = c, m.m[0][2] = s, m.m[2][0] = -s, m.m[2][2] = c;
    }
    return m;
}

Mat Translation(double x, double y, double z) {
    Mat m;
    m.m[0][3] = x, m.m[1][3] = y, m.m[2][3] = z;
    return m;
}

void Normalize(double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0) {
        v[0] /= length, v[1] /= length, v[2] /= length;
    }
}

void Cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// The camera matrix render/CameraApply.h loads for `view`; false for a view
// that leaves the matrix as it is.
bool ViewMatrix(const CameraView& view, Mat& out) {
    switch (view.kind) {
        case CameraView::Kind::kIdentity:
            out = Mat();
            return true;
        case CameraView::Kind::kFree: {
            const SbVec3f& p = view.position;
            out = Multiply(Multiply(Rotation(-view.pitch, 0), Rotation(-view.yaw, 1)),
                           Translation(-p[0], -p[1], -p[2]));
            return true;
        }
        case CameraView::Kind::kLookAt: {
            // gluLookAt: side = forward x up, up' = side x forward.
            const SbVec3f& e = view.eye;
            const SbVec3f& c = view.target;
            double f[3] = {double(c[0]) - e[0], double(c[1]) - e[1], double(c[2]) - e[2]};
            const double up[3] = {0.0, 1.0, 0.0};
            double s[3], u[3];
            Normalize(f);
            Cross(f, up, s);
            Normalize(s);
            Cross(s, f, u);
            Mat r;
            for (int k = 0; k < 3; ++k) {
                r.m[0][k] = s[k];
                r.m[1][k] = u[k];
                r.m[2][k] = -f[k];
            }
            out = Multiply(r, Translation(-e[0], -e[1], -e[2]));
            return true;
        }
        default:
            return false;
    }
}

// gluPerspective(fieldOfView, width / height, near, far).
Mat Projection(const Lens& lens) {
    const double half =
        static_cast<double>(lens.fieldOfView) / 2.0 * 3.14159265358979323846 / 180.0;
    const double cotangent = std::cos(half) / std::sin(half);
    const double aspect = static_cast<double>(lens.width) / static_cast<double>(lens.height);
    const double n = lens.nearPlane, f = lens.farPlane;
    Mat p;
    p.m[0][0] = cotangent / aspect;
    p.m[1][1] = cotangent;
    p.m[2][2] = -(f + n) / (f - n);
    p.m[2][3] = -2.0 * n * f / (f - n);
    p.m[3][2] = -1.0;
    p.m[3][3] = 0.0;
    return p;
}

// Gauss-Jordan with partial pivoting; false for a singular (or not finite) matrix.
bool Invert(Mat a, Mat& inverse) {
    inverse = Mat();
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row) {
            if (std::fabs(a.m[row][col]) > std::fabs(a.m[pivot][col]))
                pivot = row;
        }
        const double p = a.m[pivot][col];
        if (!(std::fabs(p) > 1e-12))
            return false;
        for (int k = 0; k < 4; ++k) {
            std::swap(a.m[col][k], a.m[pivot][k]);
            std::swap(inverse.m[col][k], inverse.m[pivot][k]);
        }
        for (int k = 0; k < 4; ++k) {
            a.m[col][k] /= p;
            inverse.m[col][k] /= p;
        }
        for (int row = 0; row < 4; ++row) {
            if (row == col)
                continue;
            const double factor = a.m[row][col];
            for (int k = 0; k < 4; ++k) {
                a.m[row][k] -= factor * a.m[col][k];
                inverse.m[row][k] -= factor * inverse.m[col][k];
            }
        }
    }
    return true;
}

// inverse * (x, y, z, 1), divided by its w.
bool Unproject(const Mat& inverse, double x, double y, double z, double out[3]) {
    double r[4];
    for (int i = 0; i < 4; ++i)
        r[i] = inverse.m[i][0] * x + inverse.m[i][1] * y + inverse.m[i][2] * z + inverse.m[i][3];
    if (!(std::fabs(r[3]) > 0.0))
        return false;
    for (int i = 0; i < 3; ++i)
        out[i] = r[i] / r[3];
    return std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]);
}

void ColumnMajor(const Mat& m, float out[16]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[4 * c + r] = static_cast<float>(m.m[r][c]);
}

}  // namespace

bool CameraMatrices(const CameraView& view, const Lens& lens, float camera[16],
                    float projection[16]) {
    Mat v;
    if (!ViewMatrix(view, v))
        return false;
    ColumnMajor(v, camera);
    ColumnMajor(Projection(lens), projection);
    return true;
}

bool RayThroughPixel(const CameraView& view, const Lens& lens, float x, float y, Ray& ray) {
    if (lens.width < 1 || lens.height < 1 || !std::isfinite(x) || !std::isfinite(y))
        return false;
    if (!(lens.fieldOfView > 0.0f && lens.fieldOfView < 180.0f) ||
        !(lens.nearPlane > 0.0f && lens.farPlane > lens.nearPlane)) {
        return false;
    }
    Mat model;
    if (!ViewMatrix(view, model))
        return false;
    Mat inverse;
    if (!Invert(Multiply(Projection(lens), model), inverse))
        return false;
    // Window to normalised device coordinates, through the pixel's centre;
    // rows count down from the top, GL's y counts up.
    const double nx = 2.0 * (static_cast<double>(x) + 0.5) / lens.width - 1.0;
    const double ny = 1.0 - 2.0 * (static_cast<double>(y) + 0.5) / lens.height;
    double nearPoint[3], farPoint[3];
    if (!Unproject(inverse, nx, ny, -1.0, nearPoint) || !Unproject(inverse, nx, ny, 1.0, farPoint))
        return false;
    double d[3] = {farPoint[0] - nearPoint[0], farPoint[1] - nearPoint[1],
                   farPoint[2] - nearPoint[2]};
    Normalize(d);
    ray.origin.setValue(float(nearPoint[0]), float(nearPoint[1]), float(nearPoint[2]));
    ray.direction.setValue(float(d[0]), float(d[1]), float(d[2]));
    return true;
}

bool ViewDirection(const CameraView& view, SbVec3f& direction) {
    Mat model;
    if (!ViewMatrix(view, model))
        return false;
    // The eye looks down its -z axis, which the matrix's third row carries
    // back to the world.
    double d[3] = {-model.m[2][0], -model.m[2][1], -model.m[2][2]};
    Normalize(d);
    if (!(std::fabs(d[0]) + std::fabs(d[1]) + std::fabs(d[2]) > 0.5))
        return false;
    direction.setValue(float(d[0]), float(d[1]), float(d[2]));
    return true;
}

bool RayHitsPlane(const Ray& ray, const SbVec3f& point, const SbVec3f& normal, SbVec3f& hit) {
    const double facing = double(ray.direction[0]) * normal[0] +
                          double(ray.direction[1]) * normal[1] +
                          double(ray.direction[2]) * normal[2];
    if (!(std::fabs(facing) > 1e-9))
        return false;
    const double reach = (double(point[0]) - ray.origin[0]) * normal[0] +
                         (double(point[1]) - ray.origin[1]) * normal[1] +
                         (double(point[2]) - ray.origin[2]) * normal[2];
    const double t = reach / facing;
    if (!(t > 0.0) || !std::isfinite(t))
        return false;
    hit.setValue(float(ray.origin[0] + t * ray.direction[0]),
                 float(ray.origin[1] + t * ray.direction[1]),
                 float(ray.origin[2] + t * ray.direction[2]));
    return true;
}

}  // namespace wobble
