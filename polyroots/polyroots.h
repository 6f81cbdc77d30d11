// Roots of a real polynomial as the eigenvalues of its companion matrix.
#ifndef POLYROOTS_H
#define POLYROOTS_H

#include <iosfwd>

#include "vec_zelkor"

// Real part of p(x + i·y), p(z) = a[0] + a[1]·z + ... + a[n−1]·z^(n−1),
// by Horner's rule in complex arithmetic on the copy a.
ZELKOR::Real pol(ZELKOR::Vector<ZELKOR::Real> a, ZELKOR::Real x, ZELKOR::Real y);

// A whole run on the text of "datos6.dat": the report goes to out, a
// one-line message to err.  Returns the exit status.
int polyroots(std::istream& data, std::ostream& out, std::ostream& err);

#endif
