// Eigen-decomposition and LU factorisation of one square matrix, with the
// products that check them.
#ifndef LU_SPECTRUM_H
#define LU_SPECTRUM_H

#include <iosfwd>

#include "command_line.h"

// A whole run on the text of the data file options.dataFile (named so in
// messages): the report goes to out, one-line messages and the progress
// line to err, the picture of the eigenvalues to options.svgFile if one is
// named.  Returns the exit status.
int luSpectrum(std::istream& data, std::ostream& out, std::ostream& err,
               const Options& options = {"datos4.dat", "", false});

// The program's description for its command line.
extern const ProgramInfo luSpectrumInfo;

#endif
