// SPDX-License-Identifier: MIT
// Roots of a real polynomial as the eigenvalues of its companion matrix.
#ifndef POLYROOTS_H
#define POLYROOTS_H

#include <iosfwd>

#include "shell/voice.h"

#include <zelkor/vec_zelkor>

// Real part of p(x + i·y), p(z) = a[0] + a[1]·z + ... + a[n−1]·z^(n−1),
// by Horner's rule in complex arithmetic on the copy a.
ZELKOR::Real pol(ZELKOR::Vector<ZELKOR::Real> a, ZELKOR::Real x, ZELKOR::Real y);

// A whole run on the text of the voice's data file: the report goes to
// out, messages to the voice and, when `progress` allows it (standard error
// is a terminal), a progress line to its stream at a large degree; the
// picture of the roots to svgFile if one is named.  Returns the exit
// status.
int polyroots(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile = "",
              bool progress = false);

#endif
