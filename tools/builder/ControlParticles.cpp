#include "builder/ControlParticles.h"

#include <algorithm>
#include <cmath>

namespace wobble::builder {

namespace {

// One candidate's standing for a pick: compared key by key, larger wins.
struct Score {
    double key[3];
};

bool Better(const Score& a, const Score& b, double tolerance) {
    for (int k = 0; k < 3; ++k) {
        if (a.key[k] > b.key[k] + tolerance)
            return true;
        if (a.key[k] < b.key[k] - tolerance)
            return false;
    }
    return false;  // equal: the lower index, met first, stays
}

}  // namespace

bool ControlParticles::Choose(const std::vector<SbVec3f>& vertices) {
    const int count = static_cast<int>(vertices.size());
    if (count < 8)
        return false;
    SbVec3d mean(0, 0, 0);
    for (const SbVec3f& v : vertices)
        mean += SbVec3d(v[0], v[1], v[2]);
    mean /= static_cast<double>(count);

    // The longest horizontal axis: the main axis of the spread in x and z, or,
    // for a body about as long as wide, whichever of x and z its box is longer in.
    double xx = 0, xz = 0, zz = 0;
    double loX = vertices[0][0], hiX = loX, loZ = vertices[0][2], hiZ = loZ;
    for (const SbVec3f& v : vertices) {
        const double dx = v[0] - mean[0];
        const double dz = v[2] - mean[2];
        xx += dx * dx;
        xz += dx * dz;
        zz += dz * dz;
        loX = std::min<double>(loX, v[0]);
        hiX = std::max<double>(hiX, v[0]);
        loZ = std::min<double>(loZ, v[2]);
        hiZ = std::max<double>(hiZ, v[2]);
    }
    const double halfTrace = 0.5 * (xx + zz);
    const double root = std::sqrt(0.25 * (xx - zz) * (xx - zz) + xz * xz);
    const double major = halfTrace + root;
    const double minor = halfTrace - root;
    constexpr double kRoundness = 1.1;  // spreads closer than this count as round
    constexpr double kSnapRadians = 5.0 * 3.14159265358979323846 / 180.0;
    double fx, fz;
    if (major < kRoundness * minor || root == 0.0) {
        fx = (hiX - loX) >= (hiZ - loZ) ? 1.0 : 0.0;
        fz = 1.0 - fx;
    } else {
        // Eigenvector of [[xx, xz], [xz, zz]] for the larger eigenvalue.
        const double angle = 0.5 * std::atan2(2.0 * xz, xx - zz);
        fx = std::cos(angle);
        fz = std::sin(angle);
        if (std::fabs(fz) < std::sin(kSnapRadians)) {
            fx = 1.0;
            fz = 0.0;
        } else if (std::fabs(fx) < std::sin(kSnapRadians)) {
            fx = 0.0;
            fz = 1.0;
        }
    }
    // The model says nothing about where its nose is: forward points to +x, or +z.
    if (fx < 0.0 || (fx == 0.0 && fz < 0.0)) {
        fx = -fx;
        fz = -fz;
    }
    forward.setValue(fx, 0.0, fz);
    side = forward.cross(SbVec3d(0, 1, 0));

    std::vector<double> t(count), s(count), y(count);
    double tLo = 1e300, tHi = -1e300, sLo = 1e300, sHi = -1e300;
    for (int i = 0; i < count; ++i) {
        const SbVec3d p = SbVec3d(vertices[i][0], vertices[i][1], vertices[i][2]) - mean;
        t[i] = p.dot(forward);
        s[i] = p.dot(side);
        y[i] = p[1];
        tLo = std::min(tLo, t[i]);
        tHi = std::max(tHi, t[i]);
        sLo = std::min(sLo, s[i]);
        sHi = std::max(sHi, s[i]);
    }
    length = tHi - tLo;
    width = sHi - sLo;
    const double tolerance = 1e-6 * std::max(length, width);

    std::vector<char> taken(count, 0);
    // Picks four particles from one end: `end` is +1 for the front, -1 for the rear.
    auto pickGroup = [&](double end, int* slots) {
        std::vector<int> zone;
        for (double share = kEndZone; zone.size() < 4; share += 0.05) {
            zone.clear();
            for (int i = 0; i < count; ++i) {
                const double fromEnd = end > 0 ? tHi - t[i] : t[i] - tLo;
                if (!taken[i] && fromEnd <= share * length + tolerance)
                    zone.push_back(i);
            }
            if (share > 1.0)
                break;
        }
        double zsLo = 1e300, zsHi = -1e300, zyLo = 1e300, zyHi = -1e300;
        for (int i : zone) {
            zsLo = std::min(zsLo, s[i]);
            zsHi = std::max(zsHi, s[i]);
            zyLo = std::min(zyLo, y[i]);
            zyHi = std::max(zyHi, y[i]);
        }
        const double midY = 0.5 * (zyLo + zyHi);
        const double midS = 0.5 * (zsLo + zsHi);
        auto pick = [&](auto score, bool nearMiddleLine) {
            int best = -1;
            Score bestScore{};
            for (int pass = 0; pass < 2 && best < 0; ++pass) {
                for (int i : zone) {
                    if (taken[i])
                        continue;
                    if (pass == 0 && nearMiddleLine &&
                        std::fabs(s[i] - midS) > 0.25 * (zsHi - zsLo) + tolerance)
                        continue;
                    const Score candidate = score(i);
                    if (best < 0 || Better(candidate, bestScore, tolerance)) {
                        best = i;
                        bestScore = candidate;
                    }
                }
            }
            taken[best] = 1;
            return best;
        };
        // Ties go to the particle nearer the end, then nearer half height.
        const int right = pick(
            [&](int i) {
                return Score{{s[i], end * t[i], -std::fabs(y[i] - midY)}};
            },
            false);
        const int left = pick(
            [&](int i) {
                return Score{{-s[i], end * t[i], -std::fabs(y[i] - midY)}};
            },
            false);
        const int top = pick(
            [&](int i) {
                return Score{{y[i], end * t[i], -std::fabs(s[i] - midS)}};
            },
            true);
        const int bottom = pick(
            [&](int i) {
                return Score{{-y[i], end * t[i], -std::fabs(s[i] - midS)}};
            },
            true);
        slots[0] = top;
        slots[1] = bottom;
        slots[2] = right;
        slots[3] = left;
    };
    pickGroup(+1.0, indices);
    pickGroup(-1.0, indices + 4);

    const SbVec3f across = vertices[indices[2]] - vertices[indices[3]];
    waterRadius = 0.5f * across.length();
    return true;
}

}  // namespace wobble::builder
