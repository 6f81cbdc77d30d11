// SPDX-License-Identifier: MIT
#include "eigen/complex_plane.h"

#include "shell/output_file.h"
#include "shell/translate.h"

SvgChart complexPlaneChart(const std::string& titlePattern, const std::string& dataFile,
                           const std::vector<double>& re, const std::vector<double>& im, PlanePoints what,
                           bool unitCircle) {
    const char *realColour = "#1b65b5", *pairColour = "#d95f02", *circleColour = "#888";
    SvgChart chart(titlePattern, dataFile, {_("real part"), false, false},
                   {_("imaginary part"), false, false}, true);
    if (unitCircle) chart.circle(0, 0, 1, circleColour);
    chart.hline(0, "", "black", false);  // the real axis
    // A pair (consecutive values with im ≠ 0) whose two values fall on one
    // marker is two real values on the picture.
    const std::vector<std::size_t> marker = chart.markerOf(re, im);
    std::vector<double> rx, ry, px, py;
    for (std::size_t k = 0; k < re.size(); ++k) {
        const std::size_t n = im[k] != 0 && k + 1 < re.size() ? 2 : 1;
        const bool real = im[k] == 0 || (n == 2 && marker[k] == marker[k + 1] && marker[k] != SvgChart::npos);
        for (std::size_t i = k; i < k + n; ++i) {
            (real ? rx : px).push_back(re[i]);
            (real ? ry : py).push_back(im[i]);
        }
        k += n - 1;
    }
    const bool roots = what == PlanePoints::Roots;
    const unsigned long reals = rx.size(), pairs = px.size() / 2;
    // Past a few dozen pairs their joins would cover the plot.
    const bool joined = pairs <= 24;
    for (std::size_t k = 0; joined && k + 1 < px.size(); k += 2)
        chart.polyline({px[k], px[k + 1]}, {py[k], py[k + 1]}, pairColour, true);
    chart.points(rx, ry, "point", realColour, true);
    chart.points(px, py, "point", pairColour, true);

    if (reals > 0)
        chart.legend({LegendEntry::Marker, "real", realColour,
                      fill(roots ? trn("%1 real root", "%1 real roots", reals)
                                 : trn("%1 real eigenvalue", "%1 real eigenvalues", reals),
                           {std::to_string(reals)})});
    if (pairs > 0)
        chart.legend({joined ? LegendEntry::Pair : LegendEntry::Marker, "pair", pairColour,
                      fill(trn("%1 complex-conjugate pair", "%1 complex-conjugate pairs", pairs),
                           {std::to_string(pairs)})});
    if (unitCircle) chart.legend({LegendEntry::Ring, "circle", circleColour, _("unit circle |z| = 1")});
    chart.mergedLegend(roots ? _("×k: k roots that coincide on the picture")
                             : _("×k: k eigenvalues that coincide on the picture"));
    return chart;
}

int drawComplexPlane(const std::string& titlePattern, const std::string& dataFile,
                     const ZELKOR::Vector<ZELKOR::Real>& re, const ZELKOR::Vector<ZELKOR::Real>& im,
                     PlanePoints what, bool unitCircle, const std::string& svgFile, const Voice& voice) {
    std::vector<double> x(re.dim()), y(re.dim());
    for (int i = 0; i < re.dim(); i++) {
        x[i] = static_cast<double>(re[i]);
        y[i] = static_cast<double>(im[i]);
    }
    return writeChart(complexPlaneChart(titlePattern, dataFile, x, y, what, unitCircle), svgFile, voice);
}
