#include "TestShapes.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace wobble::test {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Point {
    double x, y, z;
};

// A grid of (around + 1) x (along + 1) vertices over parameters u, v in [0, 1],
// with faces between them; rows for which `skipRow` holds are left open.
// `firstIndex` is the OBJ index of the grid's first vertex.
std::string GridObj(const std::function<Point(double, double)>& at, const ShapeOptions& o,
                    int firstIndex = 1, const std::function<bool(int)>& skipRow = nullptr) {
    std::string text;
    char line[128];
    for (int i = 0; i <= o.around; ++i) {
        for (int j = 0; j <= o.along; ++j) {
            const Point p = at(static_cast<double>(i) / o.around, static_cast<double>(j) / o.along);
            std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
            text += line;
        }
    }
    auto index = [&](int i, int j) { return firstIndex + i * (o.along + 1) + j; };
    for (int i = 0; i < o.around; ++i) {
        for (int j = 0; j < o.along; ++j) {
            if (skipRow && skipRow(j))
                continue;
            int a = index(i, j), b = index(i, j + 1), c = index(i + 1, j + 1), d = index(i + 1, j);
            if (o.reversed)
                std::swap(b, d);
            if (o.quads) {
                std::snprintf(line, sizeof line, "f %d %d %d %d\n", a, b, c, d);
                text += line;
            } else {
                std::snprintf(line, sizeof line, "f %d %d %d\nf %d %d %d\n", a, b, c, a, c, d);
                text += line;
            }
        }
    }
    return text;
}

Point OnSphere(double u, double v, double r, double cx, double cy, double cz) {
    const double theta = v * kPi;  // from the top pole down
    const double phi = u * 2.0 * kPi;
    return {cx + r * std::sin(theta) * std::cos(phi), cy + r * std::cos(theta),
            cz - r * std::sin(theta) * std::sin(phi)};
}

int VertexCount(const ShapeOptions& o) {
    return (o.around + 1) * (o.along + 1);
}

}  // namespace

std::string SphereObj(double r, double cx, double cy, double cz, const ShapeOptions& o) {
    return GridObj([&](double u, double v) { return OnSphere(u, v, r, cx, cy, cz); }, o);
}

std::string TorusObj(double R, double r, const ShapeOptions& o) {
    return GridObj(
        [&](double u, double v) {
            const double phi = u * 2.0 * kPi;
            const double theta = v * 2.0 * kPi;
            const double ring = R + r * std::cos(theta);
            return Point{ring * std::cos(phi), r * std::sin(theta), -ring * std::sin(phi)};
        },
        o);
}

std::string HullObj(const ShapeOptions& o) {
    return GridObj(
        [&](double u, double v) {
            Point p = OnSphere(u, v, 1.0, 0, 0, 0);
            p.y = p.y < 0 ? 0.6 * p.y : 0.25 * p.y;
            return Point{3.0 * p.x, p.y, 0.8 * p.z};
        },
        o);
}

std::string HoleySphereObj(int holeRows, const ShapeOptions& o) {
    return GridObj([&](double u, double v) { return OnSphere(u, v, 1.0, 0, 0, 0); }, o, 1,
                   [&](int row) { return row < holeRows; });
}

std::string TwoSpheresObj(const ShapeOptions& o) {
    std::string text = "o big\n";
    text += GridObj([&](double u, double v) { return OnSphere(u, v, 1.0, -1.6, 0, 0); }, o);
    text += "o small\n";
    text += GridObj([&](double u, double v) { return OnSphere(u, v, 0.7, 1.5, 0.2, 0.3); }, o,
                    1 + VertexCount(o));
    return text;
}

}  // namespace wobble::test
