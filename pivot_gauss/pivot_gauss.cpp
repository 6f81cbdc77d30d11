// SPDX-License-Identifier: MIT
#include "pivot_gauss.h"

#include <cfloat>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "datafile.h"
#include "row_arrays.h"
#include "svg.h"

namespace {

void printMatrix(std::ostream& out, int n, double** a) {
    for (int i = 0; i < n; ++i) {
        out << std::endl;
        for (int j = 0; j < n; ++j) out << a[i][j] << "   ";
    }
    out << std::endl << std::endl;
}

void printVector(std::ostream& out, int n, const double* b) {
    for (int i = 0; i < n; ++i) out << b[i] << "  ";
    out << std::endl << std::endl;
}

// Largest |a[i][j]| for from <= i, j < n.
double largest(int n, double** a, int from) {
    double m = 0;
    for (int i = from; i < n; ++i)
        for (int j = from; j < n; ++j) m = std::fmax(m, std::fabs(a[i][j]));
    return m;
}

SvgChart growthChart(const std::string& file, const std::vector<double>& growth) {
    SvgChart chart(_("pivot_gauss: growth of the entries on %1"), file, {_("elimination step"), false, true},
                   {_("largest |entry| of the active submatrix"), true, false});
    std::vector<double> steps(growth.size());
    for (std::size_t k = 0; k < growth.size(); ++k) steps[k] = static_cast<double>(k);
    chart.polyline(steps, growth, "#1b65b5");
    chart.points(steps, growth, "point", "#1b65b5");
    chart.note(_("step 0: the matrix read; step k: rows and columns k+1 to n once k columns are eliminated"));
    return chart;
}

}  // namespace

int gaussp(int n, double** a, double* b, double** l, bool* overflow, std::vector<double>* growth) {
    if (overflow) *overflow = false;
    for (int i = 0; i < n; ++i) {
        l[i][i] = 1;
        for (int j = i + 1; j < n; ++j) l[i][j] = 0;
    }
    if (growth) growth->push_back(largest(n, a, 0));
    for (int i = 0; i < n; ++i) {
        int p = i;
        double amax = std::fabs(a[i][i]);
        for (int j = i; j < n; ++j) {
            if (std::fabs(a[j][i]) > amax) {
                p = j;
                amax = std::fabs(a[j][i]);
            }
        }
        if (a[p][i] == 0) return i;
        for (int k = i; k < n; ++k) std::swap(a[i][k], a[p][k]);
        std::swap(b[i], b[p]);
        for (int j = i + 1; j < n; ++j) {
            double m = a[j][i] / a[i][i];
            l[j][i] = m;
            // Every operand is finite here: a result that is not finite is
            // an overflow (the test is branch-free, so the loop stays a
            // plain vector loop).
            int beyond = 0;
            for (int k = i; k < n; ++k) {
                a[j][k] = a[j][k] - m * a[i][k];
                beyond |= !(std::fabs(a[j][k]) <= DBL_MAX);
            }
            b[j] = b[j] - m * b[i];
            beyond |= !(std::fabs(b[j]) <= DBL_MAX);
            if (beyond) {
                if (overflow) *overflow = true;
                return i;
            }
        }
        if (growth && i + 1 < n) growth->push_back(largest(n, a, i + 1));
    }
    return -1;
}

void backsus(int n, double** a, const double* b, double* x) {
    for (int i = n - 1; i >= 0; --i) {
        x[i] = b[i];
        for (int j = n - 1; j >= i + 1; --j) x[i] = x[i] - a[i][j] * x[j];
        x[i] = x[i] / a[i][i];
    }
}

int pivotGauss(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile) {
    const std::string& file = voice.file();
    int n = 0;
    std::vector<double> values;
    std::string leftover;
    auto read = [&](DataFile& in) {
        n = in.readInt("the order n", 1, maxOrder);
        std::size_t count = static_cast<std::size_t>(n) * n + n;
        values = in.readDoubles(count, "the n·n matrix and the n right-hand-side values");
    };
    if (!readDataFile(data, voice, read, leftover)) return 1;
    voice.line(leftover);

    RowArrays a(n);
    std::vector<double> b(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a.rows()[i][j] = values[static_cast<std::size_t>(i) * n + j];
    for (int i = 0; i < n; ++i) b[i] = values[static_cast<std::size_t>(n) * n + i];
    std::vector<double>().swap(values);
    if (checkChartPath(svgFile, voice) != 0) return 1;

    out << "Datos leidos" << std::endl;
    printMatrix(out, n, a.rows());
    printVector(out, n, b.data());

    RowArrays l(n);
    std::vector<double> growth;
    bool overflow = false;
    int stop = gaussp(n, a.rows(), b.data(), l.rows(), &overflow, svgFile.empty() ? nullptr : &growth);
    if (stop >= 0 && overflow) {
        voice.aboutFile("the elimination in column " + std::to_string(stop + 1) +
                        " (counted from 1) overflows the range of double");
        return 1;
    }
    if (stop >= 0) {
        voice.aboutFile("the system is singular: column " + std::to_string(stop + 1) +
                        " (counted from 1) has no nonzero pivot");
        return 1;
    }
    // Solved before anything more is printed: an overflow stops the report
    // after the data read, as a singular system does.
    std::vector<double> x(n);
    backsus(n, a.rows(), b.data(), x.data());
    for (int i = n - 1; i >= 0; --i) {
        if (!std::isfinite(x[i])) {
            voice.aboutFile("the back substitution for x[" + std::to_string(i) +
                            "] overflows the range of double");
            return 1;
        }
    }

    out << "Sistema  reducido" << std::endl;
    printMatrix(out, n, a.rows());
    printVector(out, n, b.data());
    out << " Matriz  L" << std::endl;
    printMatrix(out, n, l.rows());

    out << "Vector de  soluciones" << std::endl;
    for (int i = 0; i < n; ++i) out << "x[" << i << "]=" << x[i] << "  ";
    out << std::endl;
    if (svgFile.empty()) return 0;
    return writeChart(growthChart(file, growth), svgFile, voice);
}
