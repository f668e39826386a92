#include "math/LinearSolver.h"

#include <cmath>
#include <new>
#include <utility>
#include <vector>

namespace wobble {

namespace {

// Pivots below 2^-46 are treated as zero: the matrix is singular as far as
// float input can tell.
constexpr double kMinPivot = 1.4210854715202004e-14;
// The LDL^T factorisation gives up on pivots this small or smaller.
constexpr double kMinLdltPivot = 1e-20;

template <typename T>
double Dot(int count, const T* a, int strideA, const T* b, int strideB) {
    double sum = 0.0;
    for (int k = 0; k < count; ++k) {
        sum += static_cast<double>(a[k * strideA]) * static_cast<double>(b[k * strideB]);
    }
    return sum;
}

// Gaussian elimination with partial pivoting on the n x n matrix M and the
// right-hand side c, both overwritten; the solution goes to x.
bool SolveSquare(int n, double* M, double* c, double* x, double* scratchRow) {
    for (int i = 0; i < n; ++i) {
        double best = 0.0;
        int pivotRow = -1;
        for (int r = i; r < n; ++r) {
            const double magnitude = std::fabs(M[r * n + i]);
            if (magnitude > best) {  // strictly greater: the lowest row wins a tie
                best = magnitude;
                pivotRow = r;
            }
        }
        if (best < kMinPivot) {
            return false;
        }
        if (pivotRow != i) {
            std::swap(c[pivotRow], c[i]);
            for (int j = 0; j < n; ++j)
                scratchRow[j] = M[pivotRow * n + j];
            for (int j = 0; j < n; ++j)
                M[pivotRow * n + j] = M[i * n + j];
            for (int j = 0; j < n; ++j)
                M[i * n + j] = scratchRow[j];
        }
        // The pivot itself is left alone and counts as 1 from here on.
        const double f = 1.0 / M[i * n + i];
        c[i] *= f;
        for (int j = i + 1; j < n; ++j)
            M[i * n + j] *= f;
        for (int r = i + 1; r < n; ++r) {
            const double factor = M[r * n + i];
            c[r] = c[r] - factor * c[i];
            for (int j = i + 1; j < n; ++j)
                M[r * n + j] = M[r * n + j] - factor * M[i * n + j];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        x[r] = c[r] - StridedDot(n - 1 - r, &M[r * n + r + 1], 1, &x[r + 1], 1);
    }
    return true;
}

// Least squares through the normal equations; A (m x n) and c (m) are the
// working copies and are overwritten.
bool SolveNormalEquations(int m, int n, double* A, double* c, double* x) {
    TransposeTimesVector(m, n, A, c, c);  // c's first n entries: A^T b
    GramMatrix(m, n, A, A);               // A's first n*n entries: A^T A
    std::vector<double> dInv(n);
    if (FactorLDLT(n, A, dInv.data()) == 0.0) {
        return false;
    }
    // L y = A^T b, with L unit lower-triangular in the strictly lower triangle; y replaces c.
    for (int i = 1; i < n; ++i) {
        c[i] = c[i] - StridedDot(i, &A[i * n], 1, c, 1);
    }
    // D L^T x = y.
    for (int i = n - 1; i >= 0; --i) {
        x[i] = dInv[i] * c[i] - StridedDot(n - 1 - i, &A[(i + 1) * n + i], n, &x[i + 1], 1);
    }
    return true;
}

}  // namespace

double StridedDot(int count, const float* a, int strideA, const float* b, int strideB) {
    return Dot(count, a, strideA, b, strideB);
}

double StridedDot(int count, const double* a, int strideA, const double* b, int strideB) {
    return Dot(count, a, strideA, b, strideB);
}

void TransposeTimesVector(int m, int n, const double* A, const double* b, double* out) {
    std::vector<double> result(n);
    for (int j = 0; j < n; ++j)
        result[j] = StridedDot(m, &A[j], n, b, 1);
    for (int j = 0; j < n; ++j)
        out[j] = result[j];
}

void GramMatrix(int m, int n, const double* A, double* out) {
    std::vector<double> result(static_cast<size_t>(n) * n, 0.0);
    for (int r = 0; r < n; ++r) {
        for (int c = r; c < n; ++c)
            result[r * n + c] = StridedDot(m, &A[r], n, &A[c], n);
    }
    for (size_t k = 0; k < result.size(); ++k)
        out[k] = result[k];
}

double FactorLDLT(int n, double* A, double* dInv) {
    double det = 1.0;
    for (int i = 0; i < n; ++i) {
        double* row = &A[i * n];
        // Row i of L times D, not yet scaled by 1/d.
        for (int j = 0; j < i; ++j) {
            row[j] = A[j * n + i] - StridedDot(j, &A[j * n], 1, row, 1);
        }
        double sum = 0.0;
        for (int k = 0; k < i; ++k) {
            const double u = row[k];
            const double l = u * dInv[k];
            sum += u * l;
            row[k] = l;
        }
        const double d = row[i] - sum;
        if (!(std::fabs(d) > kMinLdltPivot)) {
            return 0.0;
        }
        det = det * d;
        dInv[i] = 1.0 / d;
    }
    return det;
}

bool SolveLinearSystem(const float* A, int m, int n, const float* b, float* x) {
    if (m <= 0 || n <= 0 || m < n) {
        return false;
    }
    try {
        std::vector<double> matrix(static_cast<size_t>(m) * n);
        std::vector<double> rhs(m);
        std::vector<double> solution(n);
        for (size_t k = 0; k < matrix.size(); ++k)
            matrix[k] = A[k];
        for (int k = 0; k < m; ++k)
            rhs[k] = b[k];

        bool solved;
        if (m > n) {
            solved = SolveNormalEquations(m, n, matrix.data(), rhs.data(), solution.data());
        } else {
            std::vector<double> scratchRow(n);
            solved = SolveSquare(n, matrix.data(), rhs.data(), solution.data(), scratchRow.data());
        }
        if (solved) {
            for (int k = 0; k < n; ++k)
                x[k] = static_cast<float>(solution[k]);
        }
        return solved;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace wobble
