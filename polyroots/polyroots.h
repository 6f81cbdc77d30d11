// Roots of a real polynomial as the eigenvalues of its companion matrix.
#ifndef POLYROOTS_H
#define POLYROOTS_H

#include <iosfwd>

#include "command_line.h"

#include "vec_zelkor"

// Real part of p(x + i·y), p(z) = a[0] + a[1]·z + ... + a[n−1]·z^(n−1),
// by Horner's rule in complex arithmetic on the copy a.
ZELKOR::Real pol(ZELKOR::Vector<ZELKOR::Real> a, ZELKOR::Real x, ZELKOR::Real y);

// A whole run on the text of the data file options.dataFile (named so in
// messages): the report goes to out, one-line messages and the progress
// line to err, the picture of the roots to options.svgFile if one is named.
// Returns the exit status.
int polyroots(std::istream& data, std::ostream& out, std::ostream& err,
              const Options& options = {"datos6.dat", "", false});

// The program's description for its command line.
extern const ProgramInfo polyrootsInfo;

#endif
