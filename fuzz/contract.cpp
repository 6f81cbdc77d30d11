#include "contract.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include "eigenvalue"
#include "jacobi_rot.h"
#include "lu"
#include "lu_spectrum.h"
#include "pivot_gauss.h"
#include "polyroots.h"

namespace {

int lines(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

}  // namespace

std::string checkContract(const std::string& program, const std::string& data) {
    std::istringstream in(data);
    std::ostringstream out, err;
    int status;
    if (program == "pivot_gauss") {
        status = pivotGauss(in, out, err);
    } else if (program == "lu_spectrum") {
        status = luSpectrum(in, out, err);
    } else if (program == "polyroots") {
        status = polyroots(in, out, err);
    } else if (program == "jacobi_rot") {
        static const std::string res = "/tmp/zelkor-fuzz-res-" + std::to_string(getpid()) + ".dat";
        status = jacobiRot(in, res, out, err);
    } else {
        return "unknown program " + program;
    }
    const std::string o = out.str(), e = err.str();
    const std::string prefix = program + ": ";
    // Warnings and notes: numbers left over (any program), a nonsymmetric
    // matrix and no convergence (jacobi_rot), a singular matrix
    // (lu_spectrum); each a line of its own that names the program.
    const bool leftover = e.find(" after the data w") != std::string::npos;
    const int notes = leftover + (program == "jacobi_rot" ? 2 : program == "lu_spectrum" ? 1 : 0);
    for (std::size_t at = 0; at < e.size();) {
        if (e.compare(at, prefix.size(), prefix) != 0) return "a line without the program's name: " + e;
        std::size_t end = e.find('\n', at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (status == 0) {
        if (o.empty()) return "status 0 without a report";
        if (lines(e) > notes) return "status 0 with messages: " + e;
        return "";
    }
    if (status != 1) return "exit status " + std::to_string(status);
    // pivot_gauss may warn of left-over numbers before a singular system.
    const int allowed = program == "pivot_gauss" && leftover ? 2 : 1;
    if (lines(e) > allowed || lines(e) == 0 || e.back() != '\n') return "not one error line: " + e;
    bool echoAllowed =
        program == "pivot_gauss" &&
        (e.find("singular") != std::string::npos || e.find("overflows") != std::string::npos) &&
        o.rfind("Datos leidos\n", 0) == 0;
    if (!o.empty() && !echoAllowed) return "a report with status 1: " + o.substr(0, 200);
    return "";
}

std::string checkDecompositions(const std::string& bytes) {
    using ZELKOR::Matrix;
    using ZELKOR::Real;
    if (bytes.empty()) return "";
    const int n = 1 + static_cast<unsigned char>(bytes[0]) % 12;
    const bool moderate = static_cast<unsigned char>(bytes[0]) >= 128;
    Matrix<Real> A(n, n, 0);
    std::size_t at = 1;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            // Four bytes an entry: sign and zero flags, exponent, mantissa.
            unsigned char b[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4 && at < bytes.size(); ++k) b[k] = static_cast<unsigned char>(bytes[at++]);
            if (b[0] & 2) continue;                          // a zero, often enough for structure
            int wide = (b[1] * 256 + b[2]) % 32764 - 16381;  // the whole exponent range
            int exponent = moderate ? wide % 21 : wide;
            Real mantissa = 1 + static_cast<Real>(b[3]) / 256;
            Real x = std::ldexp(mantissa, exponent);
            if (std::isinf(x)) x = std::numeric_limits<Real>::max();
            A[i][j] = (b[0] & 1) ? -x : x;
        }
    // Symmetric matrices take the other path: mirror when the flag asks.
    if (bytes.size() > 1 && (static_cast<unsigned char>(bytes[1]) & 4))
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < i; ++j) A[i][j] = A[j][i];

    ZELKOR::LU<Real> lu(A);
    lu.det();
    Matrix<Real> inv = lu.inv();
    if (lu.isNonsingular() && inv.num_rows() != n) return "nonsingular factor without an inverse";
    ZELKOR::Eigenvalue<Real> E(A);
    if (moderate && !E.isConverged()) return "no convergence on a matrix of moderate entries";
    return "";
}
