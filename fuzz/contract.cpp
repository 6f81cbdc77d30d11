// SPDX-License-Identifier: MIT
#include "contract.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include <zelkor/cholesky>
#include <zelkor/cmat_zelkor>
#include <zelkor/eigenvalue>
#include "jacobi_rot.h"
#include <zelkor/lu>
#include <zelkor/qr>
#include <zelkor/svd>
#include "lu_spectrum.h"
#include "pivot_gauss.h"
#include "polyroots.h"

namespace {

using ZELKOR::Real;

int lines(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

// ‖B·W − W·D‖_F against 2⁻⁵²·n·‖B‖_F·‖W‖_F, D the eigenvalue matrix.
Real relativeResidual(const ZELKOR::Matrix<Real>& B, const ZELKOR::Matrix<Real>& W,
                      const ZELKOR::Matrix<Real>& D) {
    const int n = B.num_cols();
    Real r = 0, b = 0, w = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            Real bw = 0, wd = 0;
            for (int k = 0; k < n; ++k) {
                bw += B[i][k] * W[k][j];
                wd += W[i][k] * D[k][j];
            }
            r += (bw - wd) * (bw - wd);
            b += B[i][j] * B[i][j];
            w += W[i][j] * W[i][j];
        }
    if (r == 0) return 0;
    return std::sqrt(r) / (std::ldexp(Real(1), -52) * n * std::sqrt(b) * std::sqrt(w));
}

// C = S·A·S⁻¹ with S = diag(2^s_i), s_i in ±60 from the bytes: a badly
// scaled similarity transform of the moderate matrix A.  The decomposition
// of C converges, and A·V = V·D holds to rounding relative to the matrix
// the iteration ran on (C balanced when it was, C itself otherwise).
std::string checkBadlyScaled(const ZELKOR::Matrix<Real>& A, const std::string& bytes) {
    const int n = A.num_cols();
    ZELKOR::Matrix<Real> C = A;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int si = i < static_cast<int>(bytes.size()) ? static_cast<unsigned char>(bytes[i]) % 121 - 60 : 0;
            int sj = j < static_cast<int>(bytes.size()) ? static_cast<unsigned char>(bytes[j]) % 121 - 60 : 0;
            C[i][j] = std::ldexp(A[i][j], si - sj);
        }
    ZELKOR::Eigenvalue<Real> E(C);
    if (!E.isConverged()) return "no convergence on a scaled matrix of moderate entries";
    ZELKOR::Matrix<Real> V, D;
    E.getV(V);
    E.getD(D);
    if (E.isBalanced()) {  // back to the balanced coordinates: W = D_b⁻¹·V
        ZELKOR::Vector<int> k;
        C = ZELKOR::balance(C, k);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) V[i][j] = std::ldexp(V[i][j], -k[i]);
    }
    Real residual = relativeResidual(C, V, D);
    if (!(residual < 1e4)) return "A·V = V·D fails on a scaled matrix: " + std::to_string(double(residual));
    return "";
}

}  // namespace

std::string checkContract(const std::string& program, const std::string& data) {
    std::istringstream in(data);
    std::ostringstream out, err;
    const Voice voice(program, "fuzz.dat", err);
    int status;
    if (program == "pivot_gauss") {
        status = pivotGauss(in, out, voice);
    } else if (program == "lu_spectrum") {
        status = luSpectrum(in, out, voice);
    } else if (program == "polyroots") {
        status = polyroots(in, out, voice);
    } else if (program == "jacobi_rot") {
        static const std::string res = "/tmp/zelkor-fuzz-res-" + std::to_string(getpid()) + ".dat";
        status = jacobiRot(in, res, out, voice);
    } else {
        return "unknown program " + program;
    }
    const std::string o = out.str(), e = err.str();
    const std::string prefix = program + ": ";
    // Warnings and notes: numbers left over (any program), a nonsymmetric
    // matrix and no convergence (jacobi_rot), a singular matrix
    // (lu_spectrum, pivot_gauss: singular to working precision), a balanced
    // matrix (lu_spectrum, polyroots), complex eigenvalues (lu_spectrum);
    // each a line of its own that names the program.
    const bool leftover = e.find(" after the data w") != std::string::npos;
    const bool augmented = e.find("as in the layout [A | b]") != std::string::npos;
    const bool balanced = e.find("balanced before the eigenvalue iteration") != std::string::npos;
    const bool pairs = e.find(" complex-conjugate pair") != std::string::npos;
    const int notes = leftover + augmented + balanced + pairs +
                      (program == "jacobi_rot"                                ? 2
                       : program == "lu_spectrum" || program == "pivot_gauss" ? 1
                                                                              : 0);
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
    // pivot_gauss may warn of left-over numbers and of the [A | b] layout
    // before a singular system.
    const int allowed = 1 + (program == "pivot_gauss" ? leftover + augmented : 0);
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
    ZELKOR::Cholesky<Real> chol(A);
    if (chol.isSPD() && chol.inv().num_rows() != n) return "positive definite factor without an inverse";
    const ZELKOR::QR<Real> qr(A, bytes.size() > 1 && (static_cast<unsigned char>(bytes[1]) & 16));
    if (qr.getR().num_rows() != n || qr.getQ().num_cols() != n) return "QR factors of the wrong shape";
    const ZELKOR::SVD<Real> svd(A);
    if (!svd.converged()) return "SVD did not converge on finite entries";
    const ZELKOR::Vector<Real> s = svd.getSingularValues();
    for (int i = 0; i < n; ++i)
        if (!(s[i] >= 0) || (i > 0 && !(s[i] <= s[i - 1]))) return "singular values not descending and >= 0";
    if (moderate && bytes.size() > 1 && (static_cast<unsigned char>(bytes[1]) & 8))
        return checkBadlyScaled(A, bytes.substr(at));
    return "";
}
