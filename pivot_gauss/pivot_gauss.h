// Gaussian elimination with partial pivoting on row-pointer arrays of double.
#ifndef PIVOT_GAUSS_H
#define PIVOT_GAUSS_H

#include <iosfwd>

// Reduces a (n×n, rows a[0..n-1]) and b in place to an upper-triangular
// system, storing the multiplier of row j in column i at l[j][i] (rows of
// l are never exchanged) and ones on l's diagonal.  Returns -1, or the
// 0-based column where the elimination stopped: either its remaining
// entries are all exactly zero (the matrix is singular), or an entry its
// step updated left the finite range of double; *overflow, when given,
// tells which.  Entries on entry must be finite.
int gaussp(int n, double** a, double* b, double** l, bool* overflow = nullptr);

// Back substitution on the upper triangle of a: x = a⁻¹·b.
void backsus(int n, double** a, const double* b, double* x);

// A whole run on the text of "gausslu.dat": the report goes to out, a
// one-line message to err.  Returns the exit status.
int pivotGauss(std::istream& data, std::ostream& out, std::ostream& err);

#endif
