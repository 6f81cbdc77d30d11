// SPDX-License-Identifier: MIT
// The failure contract every program keeps on any data file: the run ends
// with status 0 and a report, or with status 1, nothing on the report
// stream and exactly one line on the error stream.  pivot_gauss may leave
// the echo of its data before it finds the system singular; jacobi_rot may
// warn in one line that it used the upper triangle of a nonsymmetric matrix.
#ifndef ZELKOR_FUZZ_CONTRACT_H
#define ZELKOR_FUZZ_CONTRACT_H

#include <string>

// Runs `program` in-process on the data-file text and returns "" when the
// contract holds, otherwise what broke it.
std::string checkContract(const std::string& program, const std::string& data);

// Decompositions of a matrix built from arbitrary bytes (order 1 to 12,
// entries of any finite magnitude): LU and Eigenvalue finish, and a matrix
// of moderate entries is always decomposed.  Returns "" or what broke.
std::string checkDecompositions(const std::string& bytes);

#endif
