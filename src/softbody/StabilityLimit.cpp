#include "softbody/StabilityLimit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace wobble {

namespace {

// Enough for the Rayleigh quotient to settle to a part in a million on
// bodies of up to the spring limit; it stops earlier once it has.
constexpr int kMostIterations = 400;
constexpr double kSettled = 1e-9;

}  // namespace

double UnitSpringEigenvalue(const SoftBody& body) {
    const size_t n = static_cast<size_t>(body.particleCount > 0 ? body.particleCount : 0);
    if (n == 0 || body.springs.empty())
        return 0.0;
    const Particle* const first = body.particles.data();
    std::vector<double> x(3 * n), y(3 * n);
    // A start that no symmetry of the body can make orthogonal to its
    // fastest mode: a fixed, irregular sequence.
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = std::sin(1.7 * static_cast<double>(i) + 0.3);
    double lambda = 0.0;
    for (int iteration = 0; iteration < kMostIterations; ++iteration) {
        double xx = 0.0;
        for (double v : x)
            xx += v * v;
        if (!(xx > 0.0))
            return 0.0;
        // y = K x, spring by spring.
        std::fill(y.begin(), y.end(), 0.0);
        for (const Spring& s : body.springs) {
            const size_t a = static_cast<size_t>(s.particleA - first);
            const size_t b = static_cast<size_t>(s.particleB - first);
            const SbVec3f& pa = s.particleA->position;
            const SbVec3f& pb = s.particleB->position;
            double d[3] = {double(pb[0]) - pa[0], double(pb[1]) - pa[1], double(pb[2]) - pa[2]};
            const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            if (!(length > 0.0) || !std::isfinite(length))
                continue;
            double stretch = 0.0;
            for (int k = 0; k < 3; ++k) {
                d[k] /= length;
                stretch += d[k] * (x[3 * b + k] - x[3 * a + k]);
            }
            for (int k = 0; k < 3; ++k) {
                y[3 * b + k] += d[k] * stretch;
                y[3 * a + k] -= d[k] * stretch;
            }
        }
        // The Rayleigh quotient x.Kx / x.x: K is symmetric and positive
        // semi-definite, so it climbs to the largest eigenvalue.
        double xy = 0.0, yy = 0.0;
        for (size_t i = 0; i < x.size(); ++i) {
            xy += x[i] * y[i];
            yy += y[i] * y[i];
        }
        const double estimate = xy / xx;
        const bool settled = std::fabs(estimate - lambda) <= kSettled * estimate;
        lambda = estimate;
        if (settled || !(yy > 0.0))
            break;
        const double scale = 1.0 / std::sqrt(yy);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = y[i] * scale;
    }
    return lambda;
}

double StiffnessPerMassLimit(double unitEigenvalue, float dt) {
    const double step = static_cast<double>(dt);
    if (!(unitEigenvalue > 0.0) || !(step * step > 0.0))
        return std::numeric_limits<double>::infinity();
    return kStableStepSquared / (step * step * unitEigenvalue);
}

double PullStiffnessRoom(double unitEigenvalue, float stiffness, float mass, float dt) {
    const double step = static_cast<double>(dt);
    if (!(step * step > 0.0) || !(mass > 0.0f))
        return 0.0;
    const double room = kStableStepSquared * static_cast<double>(mass) / (step * step) -
                        static_cast<double>(stiffness) * unitEigenvalue;
    return room > 0.0 && std::isfinite(room) ? room : 0.0;
}

}  // namespace wobble
