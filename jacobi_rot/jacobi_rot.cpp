// SPDX-License-Identifier: MIT
#include "jacobi_rot.h"

#include <cmath>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "input/datafile.h"
#include "row_arrays.h"
#include "shell/output_file.h"
#include "svg/chart.h"
#include "shell/translate.h"

namespace {

constexpr int nwide = 10;            // field width of the numbers of a table
constexpr double tolerance = 1e-12;  // on the sum of squares, for ‖A‖²_F ≥ 1

// Each row on a line of its own, opened by a line end; every number
// width-formatted and followed by three spaces.
void printRows(std::ostream& out, int n, double** m) {
    for (int i = 0; i < n; ++i) {
        out << std::endl;
        for (int j = 0; j < n; ++j) out << std::setw(nwide) << m[i][j] << "   ";
    }
}

// The tangent t of the angle that annihilates apq between the diagonal
// entries app and aqq: the root of smaller magnitude of
// t² + 2·theta·t − 1 = 0, theta = (aqq − app) / (2·apq), taken in the
// cancelling form sqrt(theta² + 1)·sign(theta) − theta.  Where that form
// breaks down the limit of the same root is used.
double tangent(double app, double aqq, double apq) {
    if (app == aqq) return 1;  // 45 degrees
    if (apq == 0) return 0;    // theta infinite: nothing to turn
    const double theta = (aqq - app) / (apq + apq);
    if (theta == 0) return 1;  // underflow: theta → 0
    const double theta2 = theta * theta;
    if (std::isinf(theta2)) return 1 / (2 * theta);  // |theta| → ∞
    return std::sqrt(theta2 + 1) * (theta / std::fabs(theta)) - theta;
}

// ‖A‖²_F of the symmetric matrix held in the diagonal and upper triangle.
double frobenius2(int n, double** a) {
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        sum = sum + a[i][i] * a[i][i];
        for (int j = i + 1; j < n; ++j) sum = sum + 2 * (a[i][j] * a[i][j]);
    }
    return sum;
}

// The bound on the running sum that ends the rotations: absolute for a
// matrix of norm at least 1, relative below.
double stoppingTolerance(int n, double** a) {
    const double norm2 = frobenius2(n, a);
    return norm2 < 1 ? tolerance * norm2 : tolerance;
}

// The sum of squares of the upper off-diagonal entries, recomputed.
double offDiagonal2(int n, double** a) {
    double sum = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) sum = sum + a[i][j] * a[i][j];
    return sum;
}

// The end of a converged run: the lower triangle mirrors the upper one,
// then the rotation count and the sum of squares.
bool converge(int n, double** a, int rotations, double delta, std::ostream& out) {
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) a[j][i] = a[i][j];
    out << " Jacobi ha convergido  con " << rotations << " iteraciones" << std::endl << std::endl;
    out << "Delta= " << delta << std::endl << std::endl;
    return true;
}

}  // namespace

bool jacobi(int n, double** a, double** v, std::ostream& out, std::vector<double>* deltas, int maxRotations) {
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) v[i][j] = 0;
        v[i][i] = 1;
    }

    // Sum of squares of the upper off-diagonal entries; each rotation
    // removes exactly the square of its pivot, so it is kept by subtraction.
    double delta = offDiagonal2(n, a);
    out << "Delta inicial = " << delta << std::endl;
    if (deltas) deltas->push_back(delta);
    const double tol = stoppingTolerance(n, a);

    for (int it = 0; it < maxRotations; ++it) {
        int p = 0, q = 1;
        double apq = 0;
        for (int k = 0; k < n; ++k) {
            for (int l = k + 1; l < n; ++l) {
                if (std::fabs(a[k][l]) > apq) {
                    p = k;
                    q = l;
                    apq = std::fabs(a[k][l]);
                }
            }
        }
        // Every off-diagonal entry exactly 0 while the running sum says
        // otherwise: no rotation can change the sum again, so the test
        // below could never pass; the matrix is diagonal.
        if (apq == 0 && !(std::fabs(delta) <= tol)) return converge(n, a, it, offDiagonal2(n, a), out);
        out << "p= " << p << " q= " << q << " apq= " << apq << std::endl;

        const double t = tangent(a[p][p], a[q][q], a[p][q]);
        const double c = 1 / std::sqrt(t * t + 1);
        const double s = t * c;
        const double tau = s / (c + 1);  // tan(angle / 2)
        const double apq0 = a[p][q];
        out << "  s= " << s << "  c= " << c << " t=" << t << " tau=" << tau << std::endl << std::endl;

        // A ← Rᵀ·A·R on the upper triangle: entry (x, y) is kept at
        // a[min][max].
        a[p][p] = a[p][p] - t * a[p][q];
        a[q][q] = t * a[p][q] + a[q][q];
        for (int j = 0; j < p; ++j) {
            const double g = a[j][p], h = a[j][q];
            a[j][p] = g - (tau * g + h) * s;
            a[j][q] = (g - tau * h) * s + h;
        }
        for (int j = p + 1; j < q; ++j) {
            const double g = a[p][j], h = a[j][q];
            a[j][q] = (g - tau * h) * s + h;
            a[p][j] = g - (tau * g + h) * s;
        }
        for (int j = q + 1; j < n; ++j) {
            const double g = a[p][j], h = a[q][j];
            a[q][j] = (g - tau * h) * s + h;
            a[p][j] = g - (tau * g + h) * s;
        }
        a[p][q] = 0;

        // Row i shows column i of the upper triangle down to the diagonal.
        out << "Matriz iteracion " << it + 1 << std::endl;
        for (int i = 0; i < n; ++i) {
            out << std::endl;
            for (int j = 0; j <= i; ++j) out << std::setw(nwide) << a[j][i] << "   ";
        }
        out << std::endl << std::endl << std::endl;

        // V ← V·R
        for (int j = 0; j < n; ++j) {
            const double g = v[j][p], h = v[j][q];
            v[j][p] = c * g - s * h;
            v[j][q] = s * g + c * h;
        }
        out << "V iteracion " << it + 1 << std::endl;
        printRows(out, n, v);
        out << std::endl << std::endl;

        delta = delta - apq0 * apq0;
        if (deltas) deltas->push_back(delta);
        out << " Delta= " << delta << std::endl << std::endl;
        if (std::fabs(delta) <= tol) return converge(n, a, it + 1, delta, out);
        // The running sum only decreases: once below −tol, rounding has
        // carried it past the true sum and the test above can never pass
        // again.  The sum recomputed from the matrix decides, and the
        // rotations go on from it.
        if (delta < -tol) {
            delta = offDiagonal2(n, a);
            if (delta <= tol) return converge(n, a, it + 1, delta, out);
        }
    }
    out << "Numero de  maximo de iteraciones en jacobi sin convergencia" << std::endl << std::endl;
    out << "  Delta= " << delta << std::endl << std::endl;
    return false;
}

namespace {

// The running sum of squares after each rotation on a logarithmic axis,
// with the stopping threshold; a note when the run stopped unconverged.
SvgChart convergenceChart(const std::string& file, const std::vector<double>& deltas, double tol,
                          bool converged, int maxRotations) {
    const char *sumColour = "#1b65b5", *tolColour = "#c0392b";
    SvgChart chart(_("jacobi_rot: convergence on %1"), file, {_("rotation"), false, true},
                   {_("sum of squares of the off-diagonal entries"), true, false});
    std::vector<double> steps(deltas.size());
    bool nonpositive = false;
    for (std::size_t k = 0; k < deltas.size(); ++k) {
        steps[k] = static_cast<double>(k);
        nonpositive = nonpositive || deltas[k] <= 0;
    }
    std::ostringstream threshold;
    threshold << tol;
    chart.hline(tol, "", tolColour);
    chart.polyline(steps, deltas, sumColour);
    chart.points(steps, deltas, "point", sumColour);
    if (!converged)
        chart.note(fill(trn("no convergence: the threshold was not reached in %1 rotation",
                            "no convergence: the threshold was not reached in %1 rotations", maxRotations),
                        {std::to_string(maxRotations)}));
    if (nonpositive) chart.note(_("a sum of 0 or below (rounding) is drawn on the bottom edge"));
    chart.legend(
        {LegendEntry::MarkerOnLine, "sum", sumColour, _("running sum of squares after each rotation")});
    chart.legend({LegendEntry::DashedLine, "threshold", tolColour,
                  fill(_("stopping threshold %1"), {threshold.str()})});
    return chart;
}

}  // namespace

int jacobiRot(std::istream& data, const std::string& resPath, std::ostream& out, const Voice& voice,
              const std::string& svgFile, int maxRotations) {
    const std::string& file = voice.file();
    int n = 0;
    std::vector<double> values;
    std::string leftover;
    try {
        DataFile in(data, voice);
        n = in.readInt(_("the order n"), 2, maxOrder);
        values = in.readDoubles(static_cast<std::size_t>(n) * n, _("the n·n matrix"));
        leftover = in.leftoverWarning();
    } catch (const InputError& e) {
        voice.line(e.what());
        return 1;
    }

    // Both arrays exist before the result file is touched: running out of
    // memory leaves it as it was.
    RowArrays a(n);
    bool symmetric = true;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a.rows()[i][j] = values[static_cast<std::size_t>(i) * n + j];
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) symmetric = symmetric && a.rows()[i][j] == a.rows()[j][i];
    std::vector<double>().swap(values);
    // The running sum of the rotations starts from the off-diagonal sum of
    // squares; large diagonal entries alone leave every number finite.
    if (!std::isfinite(offDiagonal2(n, a.rows()))) {
        voice.aboutFile(
            _("the off-diagonal entries are too large: the sum of their squares overflows double precision"));
        return 1;
    }
    voice.line(leftover);
    RowArrays v(n);

    if (checkWritable(svgFile, voice) != 0) return 1;
    std::ofstream res;
    if (!openOutput(res, resPath, voice)) return 1;
    if (!symmetric) {
        voice.aboutFile(_("the matrix is not symmetric; its upper triangle was used"));
    }

    printRows(out, n, a.rows());
    out << std::endl;

    std::vector<double> deltas;
    const double tol = stoppingTolerance(n, a.rows());
    const bool converged = jacobi(n, a.rows(), v.rows(), out, &deltas, maxRotations);

    out << "Matriz diagonalizada" << std::endl;
    printRows(out, n, a.rows());
    out << std::endl << std::endl;

    res.precision(out.precision());  // --digits
    res << "Los valores propios son " << std::endl;
    for (int i = 0; i < n; ++i) res << std::endl << a.rows()[i][i] << "   ";
    res << std::endl << std::endl;

    for (std::ostream* o : {&out, static_cast<std::ostream*>(&res)}) {
        *o << "Vectores propios (columnas) " << std::endl;
        printRows(*o, n, v.rows());
        *o << std::endl << std::endl;
    }

    out << "Productos escalares de vectores propios" << std::endl << std::endl;
    double** w = v.rows();
    for (int i = 0; i < n; ++i) {
        for (int j = i; j < n; ++j) {
            double d = 0;
            for (int k = 0; k < n; ++k) d = d + w[k][i] * w[k][j];
            out << std::setw(nwide) << d << "  ";
        }
        out << std::endl;
    }
    if (!converged) {
        voice.aboutFile(fill(
            trn("no convergence in %1 rotation (off-diagonal sum of squares now %2; the "
                "running estimate is %3); --max-rotations allows more",
                "no convergence in %1 rotations (off-diagonal sum of squares now %2; the "
                "running estimate is %3); --max-rotations allows more",
                maxRotations),
            {std::to_string(maxRotations), twoDigits(offDiagonal2(n, a.rows())), twoDigits(deltas.back())}));
    }

    // Each line of res.dat was flushed as written: errno still holds the
    // reason of a failed write.
    if (!closeOutput(res, resPath, voice, true)) return 1;
    if (svgFile.empty()) return 0;
    return writeChart(convergenceChart(file, deltas, tol, converged, maxRotations), svgFile, voice);
}
