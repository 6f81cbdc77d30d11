// SPDX-License-Identifier: MIT
// The picture of eigenvalues or of a polynomial's roots in the complex
// plane, drawn with the chart engine (svg/chart.h).
#ifndef ZELKOR_COMPLEX_PLANE_H
#define ZELKOR_COMPLEX_PLANE_H

#include <string>
#include <vector>

#include <zelkor/vec_zelkor>
#include "shell/voice.h"
#include "svg/chart.h"

// What the points of a complex-plane picture are, for its legend.
enum class PlanePoints { Eigenvalues, Roots };

// The values re[k] + i·im[k] in the complex plane, one scale on both axes,
// the real axis drawn; real ones in one colour, each conjugate pair in
// another, joined by a dashed line (up to 24 pairs); coinciding values
// drawn once with their number.  A pair whose two values fall on one
// marker is on the real axis on the picture: it is drawn and counted as
// two real values.  unitCircle adds |z| = 1.  The legend counts each kind.
SvgChart complexPlaneChart(const std::string& titlePattern, const std::string& dataFile,
                           const std::vector<double>& re, const std::vector<double>& im, PlanePoints what,
                           bool unitCircle);

// The complex-plane picture of re[k] + i·im[k], each rounded to double,
// written to svgFile.  Returns writeChart's status.
int drawComplexPlane(const std::string& titlePattern, const std::string& dataFile,
                     const ZELKOR::Vector<ZELKOR::Real>& re, const ZELKOR::Vector<ZELKOR::Real>& im,
                     PlanePoints what, bool unitCircle, const std::string& svgFile, const Voice& voice);

#endif
