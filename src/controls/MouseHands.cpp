#include "controls/MouseHands.h"

#include <cmath>
#include <limits>

#include "scene/Scene.h"

namespace wobble {

namespace {

// The height the water rests at (WaterSurface::Init).
constexpr float kWaterRest = -1.0f;

double Dot(const SbVec3f& a, const SbVec3f& b) {
    return double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
}

// Distance along the ray to triangle (a, b, c), either face; infinity for a miss.
double RayTriangle(const Ray& ray, const SbVec3f& a, const SbVec3f& b, const SbVec3f& c) {
    constexpr double kMiss = std::numeric_limits<double>::infinity();
    const SbVec3f e1 = b - a, e2 = c - a;
    const SbVec3f p = ray.direction.cross(e2);
    const double det = Dot(e1, p);
    if (!(std::fabs(det) > 1e-12))
        return kMiss;
    const SbVec3f s = ray.origin - a;
    const double u = Dot(s, p) / det;
    if (!(u >= 0.0 && u <= 1.0))
        return kMiss;
    const SbVec3f q = s.cross(e1);
    const double v = Dot(ray.direction, q) / det;
    if (!(v >= 0.0 && u + v <= 1.0))
        return kMiss;
    const double t = Dot(e2, q) / det;
    return t > 0.0 ? t : kMiss;
}

int NearestParticle(const SoftBody& body, const SbVec3f& point) {
    int nearest = -1;
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < body.particleCount; ++i) {
        const SbVec3f d = body.particles[static_cast<size_t>(i)].position - point;
        const double squared = Dot(d, d);
        if (squared < best) {
            best = squared;
            nearest = i;
        }
    }
    return nearest;
}

SbVec3f Along(const Ray& ray, double t) {
    return SbVec3f(float(ray.origin[0] + t * ray.direction[0]),
                   float(ray.origin[1] + t * ray.direction[1]),
                   float(ray.origin[2] + t * ray.direction[2]));
}

}  // namespace

Touch TouchAlongRay(const Scene& scene, const Ray& ray, const Lens& lens, bool surfaceShown) {
    const SoftBody& body = scene.body;
    const SurfaceMesh& surface = body.surface;
    Touch touch;
    double nearest = std::numeric_limits<double>::infinity();

    if (surfaceShown && surface.triangleCount > 0) {
        const int slots = SurfaceMesh::kSlotsPerTriangle;
        for (int t = 0; t < surface.triangleCount; ++t) {
            const int* corner = &surface.vertexIndices[static_cast<size_t>(t) * slots];
            const double hit = RayTriangle(ray, surface.vertices[static_cast<size_t>(corner[0])],
                                           surface.vertices[static_cast<size_t>(corner[1])],
                                           surface.vertices[static_cast<size_t>(corner[2])]);
            if (hit < nearest)
                nearest = hit;
        }
        if (nearest < std::numeric_limits<double>::infinity()) {
            touch.kind = Touch::Kind::kBody;
            touch.point = Along(ray, nearest);
        }
    } else {
        // The wireframe shows every particle: the one the ray passes closest
        // to, measured as an angle from the eye, within the tolerance.
        const double pixelAngle = (lens.fieldOfView * 3.14159265358979323846 / 180.0) /
                                  (lens.height > 0 ? lens.height : 1);
        double best = std::tan(kTouchPixels * pixelAngle);
        for (int i = 0; i < body.particleCount; ++i) {
            const SbVec3f d = body.particles[static_cast<size_t>(i)].position - ray.origin;
            const double t = Dot(d, ray.direction);
            if (!(t > 0.0))
                continue;
            const double off = std::sqrt(std::fmax(Dot(d, d) - t * t, 0.0)) / t;
            if (off < best) {
                best = off;
                nearest = t;
                touch.kind = Touch::Kind::kBody;
                touch.particle = i;
                touch.point = body.particles[static_cast<size_t>(i)].position;
            }
        }
    }

    // The water's resting plane, over the pool, in front of what the body offers.
    const WaterSurface& water = scene.water;
    if (water.cellsX > 0 && std::fabs(ray.direction[1]) > 1e-9f) {
        const double t = (double(kWaterRest) - ray.origin[1]) / ray.direction[1];
        if (t > 0.0 && t < nearest) {
            const SbVec3f at = Along(ray, t);
            const double farX = double(water.cellsX - 1) * water.spacingX;
            const double farZ = double(water.cellsZ - 1) * water.spacingZ;
            if (at[0] >= 0.0f && at[0] <= farX && at[2] >= 0.0f && at[2] <= farZ) {
                touch.kind = Touch::Kind::kWater;
                touch.point = at;
                touch.particle = -1;
            }
        }
    }
    if (touch.kind == Touch::Kind::kBody && touch.particle < 0)
        touch.particle = NearestParticle(body, touch.point);
    if (touch.kind == Touch::Kind::kBody && touch.particle < 0)
        touch.kind = Touch::Kind::kNothing;
    return touch;
}

Touch::Kind MouseHands::Press(Scene& scene, const CameraView& view, const Lens& lens, float x,
                              float y, bool surfaceShown, bool simulating) {
    Release(scene);
    Ray ray;
    SbVec3f facing;
    if (!RayThroughPixel(view, lens, x, y, ray) || !ViewDirection(view, facing))
        return Touch::Kind::kNothing;
    const Touch touch = TouchAlongRay(scene, ray, lens, surfaceShown);
    if (touch.kind == Touch::Kind::kWater && simulating)
        scene.SplashAt(touch.point[0], touch.point[2]);
    if (touch.kind != Touch::Kind::kBody)
        return touch.kind;
    const SbVec3f& particle = scene.body.particles[static_cast<size_t>(touch.particle)].position;
    holding_ = true;
    view_ = view;
    lens_ = lens;
    grabPoint_ = touch.point;
    facing_ = facing;
    offset_ = particle - touch.point;
    // The body's radius, as the water knows it: a pull never pulls harder
    // than a target that far away would.
    const float reach = scene.water.radius > 1.0f ? scene.water.radius : 1.0f;
    scene.body.pull.Hold(touch.particle, particle, scene.PullStiffness(), reach);
    return touch.kind;
}

void MouseHands::Drag(Scene& scene, float x, float y) {
    if (!holding_)
        return;
    if (!scene.body.pull.Active()) {
        // Let go from elsewhere (a reset).
        holding_ = false;
        return;
    }
    scene.body.pull.stiffness = scene.PullStiffness();
    Ray ray;
    SbVec3f onPlane;
    if (RayThroughPixel(view_, lens_, x, y, ray) && RayHitsPlane(ray, grabPoint_, facing_, onPlane))
        scene.body.pull.target = onPlane + offset_;
}

void MouseHands::Release(Scene& scene) {
    if (holding_)
        scene.body.pull.Release();
    holding_ = false;
}

}  // namespace wobble
