// Eigen-decomposition and LU factorisation of one square matrix, with the
// products that check them.
#ifndef LU_SPECTRUM_H
#define LU_SPECTRUM_H

#include <iosfwd>

// A whole run on the text of "datos4.dat": the report goes to out, a
// one-line message to err.  Returns the exit status.
int luSpectrum(std::istream& data, std::ostream& out, std::ostream& err);

#endif
