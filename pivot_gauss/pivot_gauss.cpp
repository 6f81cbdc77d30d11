#include "pivot_gauss.h"

#include <cfloat>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "datafile.h"
#include "row_arrays.h"

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

}  // namespace

int gaussp(int n, double** a, double* b, double** l, bool* overflow) {
    if (overflow) *overflow = false;
    for (int i = 0; i < n; ++i) {
        l[i][i] = 1;
        for (int j = i + 1; j < n; ++j) l[i][j] = 0;
    }
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

int pivotGauss(std::istream& data, std::ostream& out, std::ostream& err) {
    const char* file = "gausslu.dat";
    int n;
    std::vector<double> values;
    try {
        DataFile in(data, "pivot_gauss", file);
        n = in.readInt("the order n", 1, maxOrder);
        std::size_t count = static_cast<std::size_t>(n) * n + n;
        values = in.readDoubles(count, "the n·n matrix and the n right-hand-side values");
        std::string leftover = in.leftoverWarning();
        if (!leftover.empty()) err << leftover << std::endl;
    } catch (const InputError& e) {
        err << e.what() << std::endl;
        return 1;
    }

    RowArrays a(n);
    std::vector<double> b(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a.rows()[i][j] = values[static_cast<std::size_t>(i) * n + j];
    for (int i = 0; i < n; ++i) b[i] = values[static_cast<std::size_t>(n) * n + i];
    std::vector<double>().swap(values);

    out << "Datos leidos" << std::endl;
    printMatrix(out, n, a.rows());
    printVector(out, n, b.data());

    RowArrays l(n);
    bool overflow = false;
    int stop = gaussp(n, a.rows(), b.data(), l.rows(), &overflow);
    if (stop >= 0 && overflow) {
        err << "pivot_gauss: " << file << ": the elimination in column " << stop + 1
            << " (counted from 1) overflows the range of double" << std::endl;
        return 1;
    }
    if (stop >= 0) {
        err << "pivot_gauss: " << file << ": the system is singular: column " << stop + 1
            << " (counted from 1) has no nonzero pivot" << std::endl;
        return 1;
    }
    // Solved before anything more is printed: an overflow stops the report
    // after the data read, as a singular system does.
    std::vector<double> x(n);
    backsus(n, a.rows(), b.data(), x.data());
    for (int i = n - 1; i >= 0; --i) {
        if (!std::isfinite(x[i])) {
            err << "pivot_gauss: " << file << ": the back substitution for x[" << i
                << "] overflows the range of double" << std::endl;
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
    return 0;
}
