// SPDX-License-Identifier: MIT
// Eigenvalues and eigenvectors of a symmetric matrix by classical Jacobi
// plane rotations, on row-pointer arrays of double.
#ifndef JACOBI_ROT_H
#define JACOBI_ROT_H

#include <iosfwd>
#include <string>
#include <vector>

#include "shell/voice.h"

// Diagonalises the symmetric n×n matrix a (n >= 2; rows a[0..n-1]) in
// place and fills v (contents on entry ignored).  Only the diagonal and the
// upper triangle of a are read.  Each rotation annihilates the off-diagonal
// entry of largest magnitude; the trace of every rotation goes to out.
// Stops when the running sum of squares of the upper off-diagonal entries
// is at most 1e-12·min(1, ‖A‖²_F), or after maxRotations rotations.
// Where rounding has made that test impossible (the running sum below
// −tolerance, or every off-diagonal entry exactly 0 with the sum still
// above the tolerance), the sum recomputed from the matrix decides
// instead.  On exit the diagonal of a holds the eigenvalues, column k of v
// the unit eigenvector of a[k][k], and the lower triangle of a mirrors the
// upper one if and only if the result is true (converged).  The sum of
// squares of the off-diagonal entries must be finite.  When deltas
// is given, the running sum is appended to it as printed: the initial
// value, then its value after each rotation.
bool jacobi(int n, double** a, double** v, std::ostream& out, std::vector<double>* deltas = nullptr,
            int maxRotations = 100);

// A whole run on the text of the voice's data file: the report goes to
// out, the eigenvalues and eigenvectors to the file resPath (its numbers
// at out's precision), messages to the voice, the convergence picture to
// svgFile if one is named; at most maxRotations rotations.  Returns the
// exit status.
int jacobiRot(std::istream& data, const std::string& resPath, std::ostream& out, const Voice& voice,
              const std::string& svgFile = "", int maxRotations = 100);

#endif
