// SPDX-License-Identifier: MIT
// Eigen-decomposition and LU factorisation of one square matrix, with the
// products that check them.
#ifndef LU_SPECTRUM_H
#define LU_SPECTRUM_H

#include <iosfwd>

#include "shell/voice.h"

// A whole run on the text of the voice's data file: the report goes to
// out, messages to the voice and, when `progress` allows it (standard error
// is a terminal), a progress line to its stream on a large matrix; the
// picture of the eigenvalues to svgFile if one is named.  Returns the exit
// status.
int luSpectrum(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile = "",
               bool progress = false);

#endif
