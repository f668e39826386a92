#include "softbody/StabilityLimit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace wobble {

namespace {

// Lanczos steps: the largest eigenvalue of a stiffness matrix, whose top
// eigenvalues crowd together, settles to a part in 10^5 within about 60 of
// them (plain power iteration needs well over a thousand).
constexpr int kLanczosSteps = 80;

// The springs' ends and unit directions, taken once: K for unit stiffness.
struct UnitSprings {
    std::vector<size_t> ends;        // a, b of each spring
    std::vector<double> directions;  // its unit vector from a to b
};

UnitSprings TakeSprings(const SoftBody& body) {
    UnitSprings k;
    const SpringSet& springs = body.springs;
    for (int s = 0; s < springs.size(); ++s) {
        const size_t a = static_cast<size_t>(springs.particleA[s]);
        const size_t b = static_cast<size_t>(springs.particleB[s]);
        const SbVec3f& pa = body.particles[a].position;
        const SbVec3f& pb = body.particles[b].position;
        const double d[3] = {double(pb[0]) - pa[0], double(pb[1]) - pa[1], double(pb[2]) - pa[2]};
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (!(length > 0.0) || !std::isfinite(length))
            continue;  // coincident ends pull nowhere; a blown-up body has no shape
        k.ends.push_back(a);
        k.ends.push_back(b);
        for (int c = 0; c < 3; ++c)
            k.directions.push_back(d[c] / length);
    }
    return k;
}

// y = K x: each spring adds d d^T (x_b - x_a) to b and takes it from a.
void MultiplyByStiffness(const UnitSprings& k, const std::vector<double>& x,
                         std::vector<double>& y) {
    std::fill(y.begin(), y.end(), 0.0);
    for (size_t s = 0; s < k.ends.size() / 2; ++s) {
        const size_t a = 3 * k.ends[2 * s], b = 3 * k.ends[2 * s + 1];
        const double* d = &k.directions[3 * s];
        const double stretch =
            d[0] * (x[b] - x[a]) + d[1] * (x[b + 1] - x[a + 1]) + d[2] * (x[b + 2] - x[a + 2]);
        for (int c = 0; c < 3; ++c) {
            y[b + c] += d[c] * stretch;
            y[a + c] -= d[c] * stretch;
        }
    }
}

// The largest eigenvalue of the symmetric tridiagonal matrix with diagonal
// `alpha` and off-diagonal `beta`, by bisection on Sturm counts.
double LargestTridiagonalEigenvalue(const std::vector<double>& alpha,
                                    const std::vector<double>& beta) {
    const size_t m = alpha.size();
    double low = 0.0, high = 0.0;
    for (size_t i = 0; i < m; ++i) {  // Gershgorin: no eigenvalue lies beyond
        const double reach =
            std::fabs(alpha[i]) + (i > 0 ? beta[i - 1] : 0.0) + (i + 1 < m ? beta[i] : 0.0);
        high = std::max(high, reach);
        low = std::min(low, alpha[i] - reach);
    }
    // How many eigenvalues lie below s.
    const auto below = [&](double s) {
        size_t count = 0;
        double q = alpha[0] - s;
        count += q < 0.0;
        for (size_t i = 1; i < m; ++i) {
            q = alpha[i] - s - beta[i - 1] * beta[i - 1] / (q != 0.0 ? q : 1e-300);
            count += q < 0.0;
        }
        return count;
    };
    for (int k = 0; k < 100 && high - low > 1e-12 * high; ++k) {
        const double middle = 0.5 * (low + high);
        (below(middle) < m ? low : high) = middle;
    }
    return low;
}

}  // namespace

double UnitSpringEigenvalue(const SoftBody& body) {
    const size_t n = 3 * static_cast<size_t>(body.particleCount > 0 ? body.particleCount : 0);
    if (n == 0 || body.springs.empty())
        return 0.0;
    // Lanczos: K restricted to the Krylov space of a start vector is the
    // tridiagonal matrix of the alphas and betas, whose largest eigenvalue
    // approaches K's from below. The start is a fixed, irregular sequence
    // that no symmetry of the body can make orthogonal to its fastest mode,
    // so the same body always gives the same number.
    std::vector<double> v(n), previous(n, 0.0), w(n);
    double norm = 0.0;
    for (size_t i = 0; i < n; ++i) {
        v[i] = std::sin(1.7 * static_cast<double>(i) + 0.3);
        norm += v[i] * v[i];
    }
    for (double& x : v)
        x /= std::sqrt(norm);
    const UnitSprings springs = TakeSprings(body);
    std::vector<double> alpha, beta;
    double lastBeta = 0.0;
    for (int step = 0; step < kLanczosSteps && alpha.size() < n; ++step) {
        MultiplyByStiffness(springs, v, w);
        double a = 0.0;
        for (size_t i = 0; i < n; ++i)
            a += w[i] * v[i];
        double b = 0.0;
        for (size_t i = 0; i < n; ++i) {
            w[i] -= a * v[i] + lastBeta * previous[i];
            b += w[i] * w[i];
        }
        alpha.push_back(a);
        b = std::sqrt(b);
        // A Krylov space that closes holds its eigenvalues exactly.
        if (!(b > 1e-10 * std::fabs(a)) || !std::isfinite(b))
            break;
        beta.push_back(b);
        previous.swap(v);
        for (size_t i = 0; i < n; ++i)
            v[i] = w[i] / b;
        lastBeta = b;
    }
    return LargestTridiagonalEigenvalue(alpha, beta);
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
