// SPDX-License-Identifier: MIT
#include "pivot_gauss.h"

#include <cfloat>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "input/datafile.h"
#include <zelkor/norm_estimate>
#include "row_arrays.h"
#include "shell/output_file.h"
#include "svg/chart.h"
#include "shell/translate.h"

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

// Told the line of each number after the order, in the order read: whether
// every line holding an entry of A holds n + 1 numbers, the augmented
// layout [A | b] (each row with its right-hand side) read as n·n, then n.
// Of order 1 both layouts mean one system.
class AugmentedLayout {
public:
    explicit AugmentedLayout(int n) : n_(n) {}
    void number(long line) {
        if (line != line_) {
            endLine();
            line_ = line;
            onLine_ = 0;
            holdsA_ = read_ < static_cast<long long>(n_) * n_;
        }
        ++onLine_;
        ++read_;
    }
    bool found() {
        endLine();
        return n_ > 1 && augmented_;
    }

private:
    void endLine() { augmented_ = augmented_ && (!holdsA_ || onLine_ == n_ + 1); }
    int n_;
    long line_ = -1, onLine_ = 0;
    long long read_ = 0;
    bool holdsA_ = false, augmented_ = true;
};

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

// The scale of the condition estimate: the power of two 2^k that brings
// the largest |a[i][j]| into [1/2, 1), as k.  The reciprocal condition
// number does not change when A is multiplied by a number, and scaled the
// norms of A and A⁻¹ cannot leave the range of double on their own (entries
// near DBL_MAX, or subnormal ones, with rcond near 1).
int conditionScale(int n, double** a) {
    const double m = largest(n, a, 0);
    int e = 0;
    if (m > 0) std::frexp(m, &e);
    return -e;
}

// x·2^k in two exact steps (2^k alone may not be a double).
double scaled(double x, double half1, double half2) { return x * half1 * half2; }

// ‖2^k·A‖₁ of the row arrays, the largest column sum of magnitudes of the
// entries scaled by 2^k (the library's norm1 is ‖A‖₁ of a Matrix).
double scaledNorm1(int n, double** a, int k) {
    const double h1 = std::ldexp(1.0, k / 2), h2 = std::ldexp(1.0, k - k / 2);
    std::vector<double> sums(n, 0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) sums[j] += std::fabs(scaled(a[i][j], h1, h2));
    double m = 0;
    for (double s : sums) m = std::fmax(m, s);
    return m;
}

// An estimate of 1 / (‖A‖₁·‖A⁻¹‖₁) in O(n²) from what gaussp left: the
// upper triangle u of the reduced matrix, the multipliers l and the pivot
// rows, with normA = ‖2^k·A‖₁.  A⁻¹ = U⁻¹·E, with E the elimination
// applied to b (for each column i: exchange entries i and pivots[i], then
// subtract l[j][i] times entry i from each entry j > i); 2^k·A has the
// same E and the factor 2^k·U.  ‖(2^k·A)⁻¹‖₁ comes from estimateNorm1
// (templates/norm_estimate, the estimator of LU::rcond) through products
// with (2^k·U)⁻¹·E and its transpose Eᵀ·(2^k·U)⁻ᵀ.  0 when normA or the
// estimate is 0 or not finite, as LU::rcond gives.  Reads the arrays only.
double reciprocalCondition(int n, double** u, double** l, const std::vector<int>& pivots, int k,
                           double normA) {
    if (!(normA > 0) || !std::isfinite(normA)) return 0;
    const double h1 = std::ldexp(1.0, k / 2), h2 = std::ldexp(1.0, k - k / 2);
    using ZELKOR::Vector;
    auto inverse = [&](Vector<double>& x) {
        for (int i = 0; i < n; ++i) {
            std::swap(x[i], x[pivots[i]]);
            for (int j = i + 1; j < n; ++j) x[j] = x[j] - l[j][i] * x[i];
        }
        for (int i = n - 1; i >= 0; --i) {
            double s = x[i];
            for (int j = n - 1; j > i; --j) s = s - scaled(u[i][j], h1, h2) * x[j];
            x[i] = s / scaled(u[i][i], h1, h2);
        }
    };
    auto inverseTransposed = [&](Vector<double>& x) {
        for (int i = 0; i < n; ++i) {  // U⁻ᵀ, row by row of u
            x[i] = x[i] / scaled(u[i][i], h1, h2);
            for (int j = i + 1; j < n; ++j) x[j] = x[j] - scaled(u[i][j], h1, h2) * x[i];
        }
        for (int i = n - 1; i >= 0; --i) {  // Eᵀ: the steps' transposes in reverse
            double s = x[i];
            for (int j = i + 1; j < n; ++j) s = s - l[j][i] * x[j];
            x[i] = s;
            std::swap(x[i], x[pivots[i]]);
        }
    };
    const double inverseNorm = ZELKOR::estimateNorm1<double>(n, inverse, inverseTransposed);
    if (!(inverseNorm > 0) || !std::isfinite(inverseNorm)) return 0;
    return (1 / normA) / inverseNorm;
}

}  // namespace

int gaussp(int n, double** a, double* b, double** l, bool* overflow, std::vector<double>* growth,
           std::vector<int>* pivots) {
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
        if (pivots) pivots->push_back(p);
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
    bool augmented = false;
    try {
        DataFile in(data, voice);
        n = in.readInt(_("the order n"), 1, maxOrder);
        std::size_t count = static_cast<std::size_t>(n) * n + n;
        AugmentedLayout layout(n);
        values = in.readDoubles(count, _("the n·n matrix and the n right-hand-side values"),
                                [&](long line) { layout.number(line); });
        augmented = layout.found();
        leftover = in.leftoverWarning();
    } catch (const InputError& e) {
        voice.line(e.what());
        return 1;
    }
    voice.line(leftover);
    if (augmented)
        voice.aboutFile(
            fill(_("each line of the matrix holds n + 1 = %1 numbers, as in the layout [A | b]; the "
                   "file is read as the n·n matrix row by row, then the n right-hand-side values"),
                 {std::to_string(n + 1)}));

    RowArrays a(n);
    std::vector<double> b(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a.rows()[i][j] = values[static_cast<std::size_t>(i) * n + j];
    for (int i = 0; i < n; ++i) b[i] = values[static_cast<std::size_t>(n) * n + i];
    std::vector<double>().swap(values);
    if (checkWritable(svgFile, voice) != 0) return 1;

    out << "Datos leidos" << std::endl;
    printMatrix(out, n, a.rows());
    printVector(out, n, b.data());

    RowArrays l(n);
    std::vector<double> growth;
    bool overflow = false;
    // For the note on a system singular to working precision, beside the
    // report's arithmetic: ‖A‖₁ (scaled) before the elimination, its pivot
    // rows.
    const int scale = conditionScale(n, a.rows());
    const double normA = scaledNorm1(n, a.rows(), scale);
    std::vector<int> pivots;
    pivots.reserve(n);
    int stop =
        gaussp(n, a.rows(), b.data(), l.rows(), &overflow, svgFile.empty() ? nullptr : &growth, &pivots);
    if (stop >= 0 && overflow) {
        voice.aboutFile(fill(_("the elimination in column %1 (counted from 1) overflows the range of double"),
                             {std::to_string(stop + 1)}));
        return 1;
    }
    if (stop >= 0) {
        voice.aboutFile(fill(_("the system is singular: column %1 (counted from 1) has no nonzero pivot"),
                             {std::to_string(stop + 1)}));
        return 1;
    }
    // Solved before anything more is printed: an overflow stops the report
    // after the data read, as a singular system does.
    std::vector<double> x(n);
    backsus(n, a.rows(), b.data(), x.data());
    for (int i = n - 1; i >= 0; --i) {
        if (!std::isfinite(x[i])) {
            voice.aboutFile(fill(_("the back substitution for x[%1] overflows the range of double"),
                                 {std::to_string(i)}));
            return 1;
        }
    }
    // No pivot is exactly 0, but the solution may still mean nothing.
    const double rcond = reciprocalCondition(n, a.rows(), l.rows(), pivots, scale, normA);
    if (rcond < n * DBL_EPSILON)
        voice.aboutFile(
            fill(_("the system is singular to working precision (reciprocal condition number about "
                   "%1): the solution is not meaningful"),
                 {twoDigits(rcond)}));

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
