#pragma once
// Dense linear solves for small systems, handed over in float and solved in
// double. An m x n matrix is m*n numbers in row-major order.
//
//   m == n : Gaussian elimination with partial pivoting
//   m >  n : least squares through the normal equations (A^T A) x = A^T b,
//            factored as L D L^T
//   m <  n : refused

namespace wobble {

// Solves A x = b. Never modifies A or b; writes x (n floats) only on success.
// Fails for m or n of 0, for m < n, and for singular or nearly singular systems.
bool SolveLinearSystem(const float* A, int m, int n, const float* b, float* x);

// Sum of a[k*strideA] * b[k*strideB] for k = 0..count-1, accumulated in double
// in index order; 0 for count 0.
double StridedDot(int count, const float* a, int strideA, const float* b, int strideB);
double StridedDot(int count, const double* a, int strideA, const double* b, int strideB);

// out[j] = sum over k of A(k, j) * b[k]. out may alias b: the result then
// replaces b's first n entries.
void TransposeTimesVector(int m, int n, const double* A, const double* b, double* out);

// out = A^T A (n x n), upper triangle and diagonal filled, strictly lower
// triangle 0. out may alias A: the result then replaces A's first n*n entries.
void GramMatrix(int m, int n, const double* A, double* out);

// Factors the symmetric matrix given by the upper triangle of A as L D L^T.
// Writes the unit lower-triangular L into A's strictly lower triangle and 1/d_i
// into dInv[i]; the upper triangle and diagonal stay as they were. Returns the
// product of the pivots, or 0 when a pivot's magnitude is 1e-20 or less (or NaN).
double FactorLDLT(int n, double* A, double* dInv);

}  // namespace wobble
