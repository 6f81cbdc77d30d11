// SPDX-License-Identifier: MIT
// Gaussian elimination with partial pivoting on row-pointer arrays of double.
#ifndef PIVOT_GAUSS_H
#define PIVOT_GAUSS_H

#include <iosfwd>
#include <vector>

#include "shell/voice.h"

// Reduces a (n×n, rows a[0..n-1]) and b in place to an upper-triangular
// system, storing the multiplier of row j in column i at l[j][i] (rows of
// l are never exchanged) and ones on l's diagonal.  Returns -1, or the
// 0-based column where the elimination stopped: either its remaining
// entries are all exactly zero (the matrix is singular), or an entry its
// step updated left the finite range of double; *overflow, when given,
// tells which.  Entries on entry must be finite.  When growth is given, the
// largest magnitude in the active submatrix is appended to it: of the whole
// matrix first, then after each step that leaves one (rows and columns i+1
// to n-1 after step i).  When pivots is given, the pivot row of each
// column is appended to it (row pivots[i] exchanged with row i in step i).
// Collecting either changes no arithmetic.
int gaussp(int n, double** a, double* b, double** l, bool* overflow = nullptr,
           std::vector<double>* growth = nullptr, std::vector<int>* pivots = nullptr);

// Back substitution on the upper triangle of a: x = a⁻¹·b.
void backsus(int n, double** a, const double* b, double* x);

// A whole run on the text of the voice's data file: the report goes to
// out, messages to the voice, the picture of the entries' growth to svgFile
// if one is named.  A system whose pivots are all nonzero but whose
// estimated reciprocal condition number (1-norm, from the elimination's
// factors in O(n²)) is below n·DBL_EPSILON gets a note, the report as
// usual and status 0.  Returns the exit status.
int pivotGauss(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile = "");

#endif
