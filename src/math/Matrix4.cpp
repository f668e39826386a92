#include "math/Matrix4.h"

#include "math/LinearSolver.h"

namespace wobble {

Matrix4::Matrix4() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

void Matrix4::Multiply(const float v[4], float out[4]) const {
    // Float products are exact in double, so only the additions round; they
    // run in index order, as StridedDot adds them.
    for (int r = 0; r < 4; ++r) {
        const float* row = &m[4 * r];
        double sum = 0.0;
        sum += static_cast<double>(row[0]) * v[0];
        sum += static_cast<double>(row[1]) * v[1];
        sum += static_cast<double>(row[2]) * v[2];
        sum += static_cast<double>(row[3]) * v[3];
        out[r] = static_cast<float>(sum);
    }
}

bool Matrix4::Solve(float x[4], const float b[4]) const {
    return SolveLinearSystem(m, 4, 4, b, x);
}

}  // namespace wobble
