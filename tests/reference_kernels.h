// Frozen copy of the library's kernels as they were before the speed work:
// the matrix products, LU and Eigenvalue, verbatim but for the namespace.
// The bit-exactness test compares the library against it.  Never edit the
// algorithms below; they are the reference the library must reproduce.
#ifndef ZELKOR_TESTS_REFERENCE_KERNELS_H
#define ZELKOR_TESTS_REFERENCE_KERNELS_H

#include <cassert>
#include <cmath>

#include "cmat_zelkor"
#include "vec_zelkor"

namespace reference {

using ZELKOR::Matrix;
using ZELKOR::Vector;

// A·x; each element is the left-to-right sum of its products, in T.
template <class T>
Vector<T> matmult(const Matrix<T>& A, const Vector<T>& x) {
    int M = A.num_rows();
    int N = A.num_cols();
    assert(N == x.dim());
    Vector<T> result(M, 0);
    for (int i = 0; i < M; i++) {
        T s = 0;
        for (int j = 0; j < N; j++) s = A[i][j] * x[j] + s;
        result[i] = s;
    }
    return result;
}

// A·B; each element is the left-to-right sum of its products, in T.
template <class T>
Matrix<T> matmult(const Matrix<T>& A, const Matrix<T>& B) {
    int M = A.num_rows();
    int N = A.num_cols();
    int K = B.num_cols();
    assert(N == B.num_rows());
    Matrix<T> result(M, K, 0);
    for (int i = 0; i < M; i++) {
        for (int k = 0; k < K; k++) {
            T s = 0;
            for (int j = 0; j < N; j++) s = A[i][j] * B[j][k] + s;
            result[i][k] = s;
        }
    }
    return result;
}

template <class T>
class LU {
public:
    LU(const Matrix<T>& A) : lu_(A), m_(A.num_rows()), n_(A.num_cols()), permSign_(1), perm_(A.num_rows(), 0) {
        for (int i = 0; i < m_; i++) perm_[i] = i;
        Vector<T> c(m_, 0);
        for (int j = 0; j < n_; j++) {
            for (int i = 0; i < m_; i++) c[i] = lu_[i][j];
            // Row i of column j: subtract the dot product of the stored
            // multipliers of row i with the updated work column.
            for (int i = 0; i < m_; i++) {
                T* row = lu_[i];
                int kmax = i < j ? i : j;
                T s = 0;
                for (int k = 0; k < kmax; k++) s = row[k] * c[k] + s;
                c[i] = c[i] - s;
                row[j] = c[i];
            }
            int p = j;
            for (int i = j + 1; i < m_; i++)
                if (std::abs(c[i]) > std::abs(c[p])) p = i;
            if (p != j) {
                for (int k = 0; k < n_; k++) {
                    T t = lu_[p][k];
                    lu_[p][k] = lu_[j][k];
                    lu_[j][k] = t;
                }
                int k = perm_[p];
                perm_[p] = perm_[j];
                perm_[j] = k;
                permSign_ = -permSign_;
            }
            if (j < m_ && lu_[j][j] != T(0)) {
                for (int i = j + 1; i < m_; i++) lu_[i][j] = lu_[i][j] / lu_[j][j];
            }
        }
    }

    // 1 when no diagonal entry of U is exactly zero (and m ≥ n).
    int isNonsingular() {
        if (m_ < n_) return 0;
        for (int j = 0; j < n_; j++)
            if (lu_[j][j] == T(0)) return 0;
        return 1;
    }

    Matrix<T> getL() {
        Matrix<T> L(m_, n_, 0);
        for (int i = 0; i < m_; i++)
            for (int j = 0; j < n_; j++) {
                if (i > j)
                    L[i][j] = lu_[i][j];
                else if (i == j)
                    L[i][j] = 1;
                else
                    L[i][j] = 0;
            }
        return L;
    }

    Matrix<T> getU() {
        Matrix<T> U(n_, n_, 0);
        int rows = m_ < n_ ? m_ : n_;
        for (int i = 0; i < rows; i++)
            for (int j = 0; j < n_; j++) U[i][j] = i <= j ? lu_[i][j] : T(0);
        return U;
    }

    T det() {
        if (m_ != n_) return T(0);
        T d = T(permSign_);
        for (int j = 0; j < n_; j++) d = d * lu_[j][j];
        return d;
    }

    Matrix<T> solve(const Matrix<T>& B) {
        if (B.num_rows() != m_) return Matrix<T>(0, 0, 0);
        if (!isNonsingular()) return Matrix<T>(0, 0, 0);
        int nx = B.num_cols();
        Matrix<T> X = permute_copy(B, perm_, 0, nx - 1);
        for (int k = 0; k < n_; k++)
            for (int i = k + 1; i < n_; i++)
                for (int j = 0; j < nx; j++) X[i][j] = X[i][j] - X[k][j] * lu_[i][k];
        for (int k = n_ - 1; k >= 0; k--) {
            for (int j = 0; j < nx; j++) X[k][j] = X[k][j] / lu_[k][k];
            for (int i = 0; i < k; i++)
                for (int j = 0; j < nx; j++) X[i][j] = X[i][j] - X[k][j] * lu_[i][k];
        }
        return X;
    }

    Vector<T> solve(const Vector<T>& b) {
        if (b.dim() != m_) return Vector<T>();
        if (!isNonsingular()) return Vector<T>();
        Vector<T> x = permute_copy(b, perm_);
        for (int k = 0; k < n_; k++)
            for (int i = k + 1; i < n_; i++) x[i] = x[i] - x[k] * lu_[i][k];
        for (int k = n_ - 1; k >= 0; k--) {
            x[k] = x[k] / lu_[k][k];
            for (int i = 0; i < k; i++) x[i] = x[i] - x[k] * lu_[i][k];
        }
        return x;
    }

    Matrix<T> inv() {
        if (!isNonsingular()) return Matrix<T>(0, 0, 0);
        Matrix<T> I(m_, m_, 0);
        I = T(0);
        for (int i = 1; i <= m_; i++) I(i, i) = 1;
        return solve(I);
    }

    // Rows piv[0], piv[1], ... of A, columns j0 ... j1.
    Matrix<T> permute_copy(const Matrix<T>& A, const Vector<int>& piv, int j0, int j1) {
        int piv_length = piv.dim();
        Matrix<T> X(piv_length, j1 - j0 + 1, 0);
        for (int i = 0; i < piv_length; i++)
            for (int j = j0; j <= j1; j++) X[i][j - j0] = A[piv[i]][j];
        return X;
    }

    // Entries piv[0], piv[1], ... of A; empty when the lengths differ.
    Vector<T> permute_copy(const Vector<T>& A, const Vector<int>& piv) {
        int piv_length = piv.dim();
        if (piv_length != A.dim()) return Vector<T>();
        Vector<T> x(piv_length, 0);
        for (int i = 0; i < piv_length; i++) x[i] = A[piv[i]];
        return x;
    }

private:
    Matrix<T> lu_;
    int m_;
    int n_;
    int permSign_;
    Vector<int> perm_;
};

// √(a² + b²) as |a|·√((b/a)² + 1); a is always the divisor.
template <class T>
T hypot(const T& a, const T& b) {
    if (a == T(0)) return std::abs(b);
    T r = b / a;
    return std::abs(a) * std::sqrt(r * r + 1);
}

template <class T>
class Eigenvalue {
public:
    Eigenvalue(const Matrix<T>& A) : converged_(1) {
        n_ = A.num_cols();
        assert(A.num_rows() >= n_);
        V_ = Matrix<T>(n_, n_, 0);
        realPart_ = Vector<T>(n_, 0);
        imagPart_ = Vector<T>(n_, 0);

        symmetric_ = 1;
        for (int j = 0; (j < n_) && symmetric_; j++)
            for (int i = 0; (i < n_) && symmetric_; i++) symmetric_ = (A[i][j] == A[j][i]);

        if (n_ == 0) return;
        if (symmetric_) {
            for (int i = 0; i < n_; i++)
                for (int j = 0; j < n_; j++) V_[i][j] = A[i][j];
            tred2();
            tql2();
        } else {
            hess_ = Matrix<T>(n_, n_, 0);
            work_ = Vector<T>(n_, 0);
            for (int j = 0; j < n_; j++)
                for (int i = 0; i < n_; i++) hess_[i][j] = A[i][j];
            orthes();
            hqr2();
        }
        for (int i = 0; i < n_; i++)
            if (!std::isfinite(realPart_[i]) || !std::isfinite(imagPart_[i])) converged_ = 0;
    }

    // 1 when every eigenvalue was found within the iteration bound and is
    // finite.  0 when the iteration gave up, or when the size of the matrix
    // is not finite (an entry that is not, or sums that overflow): every
    // entry is then negligible against it and the results are meaningless.
    int isConverged() { return converged_; }

    void getRealEigenvalues(Vector<T>& out) { out = realPart_; }
    void getImagEigenvalues(Vector<T>& out) { out = imagPart_; }
    void getV(Matrix<T>& out) { out = V_; }

    // Block-diagonal D: each real eigenvalue on the diagonal; each pair
    // a ± b·i as the block (a, b; −b, a).
    void getD(Matrix<T>& D) {
        D = Matrix<T>(n_, n_, 0);
        for (int i = 0; i < n_; i++) {
            for (int j = 0; j < n_; j++) D[i][j] = 0;
            D[i][i] = realPart_[i];
            if (imagPart_[i] > 0)
                D[i][i + 1] = imagPart_[i];
            else if (imagPart_[i] < 0)
                D[i][i - 1] = imagPart_[i];
        }
    }

private:
    // Passes of either iteration spent on one eigenvalue (or pair) before it
    // gives up: 30·max(10, n).  A converging QL or double-shift QR run needs
    // a few passes per eigenvalue (ordinary matrices at most about 50 in one
    // block, counting the passes that only wait for an exceptional shift),
    // and once the iteration for an eigenvalue has failed to deflate for
    // hundreds of passes its state is dominated by values that are not
    // finite, on which no test can succeed.  The bound stops only such runs.
    int maxIterations() const { return 30 * (n_ > 10 ? n_ : 10); }

    // Householder reduction of the symmetric matrix in V_ to tridiagonal
    // form: diagonal in realPart_, subdiagonal in imagPart_[1 ... n−1], the
    // orthogonal transformation accumulated in V_.
    void tred2() {
        int n = n_;
        Vector<T>& d = realPart_;
        Vector<T>& e = imagPart_;
        Matrix<T>& V = V_;

        for (int j = 0; j < n; j++) d[j] = V[n - 1][j];

        for (int i = n - 1; i > 0; i--) {
            T scale = 0;
            T h = 0;
            for (int k = 0; k < i; k++) scale = scale + std::abs(d[k]);
            if (scale == T(0)) {
                e[i] = d[i - 1];
                for (int j = 0; j < i; j++) {
                    d[j] = V[i - 1][j];
                    V[i][j] = 0;
                    V[j][i] = 0;
                }
            } else {
                for (int k = 0; k < i; k++) {
                    d[k] = d[k] / scale;
                    h = h + d[k] * d[k];
                }
                T f = d[i - 1];
                T g = std::sqrt(h);
                if (f > 0) g = -g;
                e[i] = scale * g;
                h = h - f * g;
                d[i - 1] = f - g;
                for (int j = 0; j < i; j++) e[j] = 0;

                for (int j = 0; j < i; j++) {
                    f = d[j];
                    V[j][i] = f;
                    g = e[j] + V[j][j] * f;
                    for (int k = j + 1; k <= i - 1; k++) {
                        g = g + V[k][j] * d[k];
                        e[k] = e[k] + V[k][j] * f;
                    }
                    e[j] = g;
                }
                f = 0;
                for (int j = 0; j < i; j++) {
                    e[j] = e[j] / h;
                    f = f + e[j] * d[j];
                }
                T hh = f / (h + h);
                for (int j = 0; j < i; j++) e[j] = e[j] - hh * d[j];
                for (int j = 0; j < i; j++) {
                    f = d[j];
                    g = e[j];
                    for (int k = j; k <= i - 1; k++) V[k][j] = V[k][j] - (f * e[k] + g * d[k]);
                    d[j] = V[i - 1][j];
                    V[i][j] = 0;
                }
            }
            d[i] = h;
        }

        for (int i = 0; i < n - 1; i++) {
            V[n - 1][i] = V[i][i];
            V[i][i] = 1;
            T h = d[i + 1];
            if (h != T(0)) {
                for (int k = 0; k <= i; k++) d[k] = V[k][i + 1] / h;
                for (int j = 0; j <= i; j++) {
                    T g = 0;
                    for (int k = 0; k <= i; k++) g = g + V[k][i + 1] * V[k][j];
                    for (int k = 0; k <= i; k++) V[k][j] = V[k][j] - g * d[k];
                }
            }
            for (int k = 0; k <= i; k++) V[k][i + 1] = 0;
        }
        for (int j = 0; j < n; j++) {
            d[j] = V[n - 1][j];
            V[n - 1][j] = 0;
        }
        V[n - 1][n - 1] = 1;
        e[0] = 0;
    }

    // Implicit QL iteration with shifts on the tridiagonal matrix, rotations
    // applied to V_; then eigenvalues and vectors sorted ascending.
    void tql2() {
        int n = n_;
        Vector<T>& d = realPart_;
        Vector<T>& e = imagPart_;
        Matrix<T>& V = V_;

        for (int i = 1; i < n; i++) e[i - 1] = e[i];
        e[n - 1] = 0;

        T f = 0;
        T tst1 = 0;
        T eps = T(std::pow(2.0, -52.0));
        for (int l = 0; l < n; l++) {
            T size = std::abs(d[l]) + std::abs(e[l]);
            if (size > tst1) tst1 = size;
            if (!std::isfinite(tst1)) converged_ = 0;
            int m = l;
            while (m < n) {
                if (std::abs(e[m]) <= eps * tst1) break;
                m++;
            }
            if (m == n) {  // only when eps·tst1 is not a number
                converged_ = 0;
                return;
            }
            if (m > l) {
                int iter = 0;
                do {
                    if (++iter > maxIterations()) {
                        converged_ = 0;
                        return;
                    }
                    T g = d[l];
                    T p = (d[l + 1] - g) / (e[l] + e[l]);
                    T r = reference::hypot(p, T(1));
                    if (p < 0) r = -r;
                    d[l] = e[l] / (p + r);
                    d[l + 1] = e[l] * (p + r);
                    T dl1 = d[l + 1];
                    T h = g - d[l];
                    for (int i = l + 2; i < n; i++) d[i] = d[i] - h;
                    f = f + h;

                    p = d[m];
                    T c = 1;
                    T c2 = c;
                    T c3 = c;
                    T el1 = e[l + 1];
                    T s = 0;
                    T s2 = 0;
                    for (int i = m - 1; i >= l; i--) {
                        c3 = c2;
                        c2 = c;
                        s2 = s;
                        g = c * e[i];
                        h = c * p;
                        r = reference::hypot(p, e[i]);
                        e[i + 1] = s * r;
                        s = e[i] / r;
                        c = p / r;
                        p = c * d[i] - s * g;
                        d[i + 1] = h + s * (c * g + s * d[i]);
                        for (int k = 0; k < n; k++) {
                            T t = V[k][i + 1];
                            V[k][i + 1] = s * V[k][i] + c * t;
                            V[k][i] = c * V[k][i] - s * t;
                        }
                    }
                    p = -s * s2 * c3 * el1 * e[l] / dl1;
                    e[l] = s * p;
                    d[l] = c * p;
                } while (std::abs(e[l]) > eps * tst1);
            }
            d[l] = d[l] + f;
            e[l] = 0;
        }

        for (int i = 0; i < n - 1; i++) {
            int k = i;
            T p = d[i];
            for (int j = i + 1; j < n; j++) {
                if (d[j] < p) {
                    k = j;
                    p = d[j];
                }
            }
            if (k != i) {
                d[k] = d[i];
                d[i] = p;
                for (int j = 0; j < n; j++) {
                    p = V[j][i];
                    V[j][i] = V[j][k];
                    V[j][k] = p;
                }
            }
        }
    }

    // Householder reduction of hess_ to upper Hessenberg form over the whole
    // index range; each column's Householder vector stays below the band,
    // and the product of the reflections is accumulated in V_.
    void orthes() {
        int n = n_;
        int low = 0;
        int high = n - 1;
        Matrix<T>& H = hess_;
        Vector<T>& ort = work_;
        Matrix<T>& V = V_;

        for (int m = low + 1; m <= high - 1; m++) {
            T scale = 0;
            for (int i = m; i <= high; i++) scale = scale + std::abs(H[i][m - 1]);
            if (scale != T(0)) {
                T h = 0;
                for (int i = high; i >= m; i--) {
                    ort[i] = H[i][m - 1] / scale;
                    h = h + ort[i] * ort[i];
                }
                T g = std::sqrt(h);
                if (ort[m] > 0) g = -g;
                h = h - ort[m] * g;
                ort[m] = ort[m] - g;

                // H = (I − u·uᵀ/h)·H·(I − u·uᵀ/h)
                for (int j = m; j < n; j++) {
                    T f = 0;
                    for (int i = high; i >= m; i--) f = f + ort[i] * H[i][j];
                    f = f / h;
                    for (int i = m; i <= high; i++) H[i][j] = H[i][j] - f * ort[i];
                }
                for (int i = 0; i <= high; i++) {
                    T f = 0;
                    for (int j = high; j >= m; j--) f = f + ort[j] * H[i][j];
                    f = f / h;
                    for (int j = m; j <= high; j++) H[i][j] = H[i][j] - f * ort[j];
                }
                ort[m] = scale * ort[m];
                H[m][m - 1] = scale * g;
            }
        }

        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) V[i][j] = (i == j ? T(1) : T(0));

        for (int m = high - 1; m >= low + 1; m--) {
            if (H[m][m - 1] != T(0)) {
                for (int i = m + 1; i <= high; i++) ort[i] = H[i][m - 1];
                for (int j = m; j <= high; j++) {
                    T g = 0;
                    for (int i = m; i <= high; i++) g = g + ort[i] * V[i][j];
                    g = (g / ort[m]) / H[m][m - 1];
                    for (int i = m; i <= high; i++) V[i][j] = V[i][j] + g * ort[i];
                }
            }
        }
    }

    // (xr + i·xi) / (yr + i·yi) into divRe_, divIm_, dividing by the larger
    // component of the divisor.
    void cdiv(T xr, T xi, T yr, T yi) {
        T ratio;
        T den;
        if (std::abs(yr) > std::abs(yi)) {
            ratio = yi / yr;
            den = yr + ratio * yi;
            divRe_ = (xr + ratio * xi) / den;
            divIm_ = (xi - ratio * xr) / den;
        } else {
            ratio = yr / yi;
            den = yi + ratio * yr;
            divRe_ = (ratio * xr + xi) / den;
            divIm_ = (ratio * xi - xr) / den;
        }
    }

    // Real Schur form of the Hessenberg matrix by the shifted double-step QR
    // iteration, Schur vectors accumulated in V_; then the eigenvectors of
    // the Schur form by back-substitution, multiplied into V_.
    void hqr2() {
        const int nn = n_;
        const int low = 0;
        const int high = nn - 1;
        Matrix<T>& H = hess_;
        Matrix<T>& V = V_;
        Vector<T>& d = realPart_;
        Vector<T>& e = imagPart_;

        const T eps = T(std::pow(2.0, -52.0));
        T shiftSum = 0;
        T p = 0, q = 0, r = 0, s = 0, z = 0;
        T t, w, x, y;

        T hNorm = 0;
        for (int i = 0; i < nn; i++)
            for (int j = (i - 1 > 0 ? i - 1 : 0); j < nn; j++) hNorm = hNorm + std::abs(H[i][j]);
        if (!std::isfinite(hNorm)) converged_ = 0;

        int last = nn - 1;
        int iterCount = 0;
        while (last >= low) {
            int l = last;
            while (l > low) {
                s = std::abs(H[l - 1][l - 1]) + std::abs(H[l][l]);
                if (s == T(0)) s = hNorm;
                if (std::abs(H[l][l - 1]) < eps * s) break;
                l--;
            }
            const int blockStart = l;

            if (blockStart == last) {  // one root
                H[last][last] = H[last][last] + shiftSum;
                d[last] = H[last][last];
                e[last] = 0;
                last--;
                iterCount = 0;
            } else if (blockStart == last - 1) {  // two roots
                const int a = last - 1;
                const int b = last;
                w = H[b][a] * H[a][b];
                p = (H[a][a] - H[b][b]) / T(2);
                q = p * p + w;
                z = std::sqrt(std::abs(q));
                H[b][b] = H[b][b] + shiftSum;
                H[a][a] = H[a][a] + shiftSum;
                x = H[b][b];

                if (q >= 0) {  // real pair
                    if (p >= 0)
                        z = p + z;
                    else
                        z = p - z;
                    d[a] = x + z;
                    d[b] = d[a];
                    if (z != T(0)) d[b] = x - w / z;
                    e[a] = 0;
                    e[b] = 0;
                    x = H[b][a];
                    s = std::abs(x) + std::abs(z);
                    p = x / s;
                    q = z / s;
                    r = std::sqrt(p * p + q * q);
                    p = p / r;
                    q = q / r;
                    for (int j = a; j < nn; j++) {
                        z = H[a][j];
                        H[a][j] = q * z + p * H[b][j];
                        H[b][j] = q * H[b][j] - p * z;
                    }
                    for (int i = 0; i <= b; i++) {
                        z = H[i][a];
                        H[i][a] = q * z + p * H[i][b];
                        H[i][b] = q * H[i][b] - p * z;
                    }
                    for (int i = low; i <= high; i++) {
                        z = V[i][a];
                        V[i][a] = q * z + p * V[i][b];
                        V[i][b] = q * V[i][b] - p * z;
                    }
                } else {  // complex pair, +μ first
                    d[a] = x + p;
                    d[b] = x + p;
                    e[a] = z;
                    e[b] = -z;
                }
                last = last - 2;
                iterCount = 0;
            } else {  // no convergence yet
                if (iterCount >= maxIterations()) {
                    converged_ = 0;
                    return;
                }
                x = H[last][last];
                y = H[last - 1][last - 1];
                w = H[last][last - 1] * H[last - 1][last];

                if (iterCount == 10) {  // first exceptional shift
                    shiftSum = shiftSum + x;
                    for (int i = low; i <= last; i++) H[i][i] = H[i][i] - x;
                    s = std::abs(H[last][last - 1]) + std::abs(H[last - 1][last - 2]);
                    x = 0.75 * s;
                    y = x;
                    w = (s * (-0.4375)) * s;
                }
                if (iterCount == 30) {  // second exceptional shift
                    s = (y - x) / T(2);
                    s = s * s + w;
                    if (s > 0) {
                        s = std::sqrt(s);
                        if (y < x) s = -s;
                        s = x - w / ((y - x) / T(2) + s);
                        for (int i = low; i <= last; i++) H[i][i] = H[i][i] - s;
                        shiftSum = shiftSum + s;
                        x = y = w = T(0.964);
                    }
                }
                // A pass that cannot start its sweep (shift x exactly 0) once
                // both exceptional shifts are spent would repeat unchanged for
                // ever; such a pass sweeps from the first column's p, q, r.
                const bool sweepOnZeroShift = iterCount >= 30;
                iterCount = iterCount + 1;

                // Look for two consecutive small subdiagonal entries.
                int m = last - 2;
                for (;;) {
                    z = H[m][m];
                    r = x - z;
                    s = y - z;
                    p = (r * s - w) / H[m + 1][m] + H[m][m + 1];
                    q = H[m + 1][m + 1] - z - r - s;
                    r = H[m + 2][m + 1];
                    s = std::abs(p) + std::abs(q) + std::abs(r);
                    p = p / s;
                    q = q / s;
                    r = r / s;
                    if (m == blockStart) break;
                    if (std::abs(H[m][m - 1]) * (std::abs(q) + std::abs(r)) <
                        eps * (std::abs(p) * (std::abs(H[m - 1][m - 1]) + std::abs(z) +
                                              std::abs(H[m + 1][m + 1]))))
                        break;
                    m--;
                }
                const int sweepStart = m;

                for (int i = sweepStart + 2; i <= last; i++) {
                    H[i][i - 2] = 0;
                    if (i > sweepStart + 2) H[i][i - 3] = 0;
                }

                // Double QR step on rows and columns sweepStart ... last.
                for (int k = sweepStart; k <= last - 1; k++) {
                    const int threeRows = (k != last - 1);
                    if (k != sweepStart) {
                        p = H[k][k - 1];
                        q = H[k + 1][k - 1];
                        r = threeRows ? H[k + 2][k - 1] : T(0);
                        x = std::abs(p) + std::abs(q) + std::abs(r);
                        if (x != T(0)) {
                            p = p / x;
                            q = q / x;
                            r = r / x;
                        }
                    }
                    if (x == T(0) && !(k == sweepStart && sweepOnZeroShift)) break;
                    s = std::sqrt(p * p + q * q + r * r);
                    if (p < 0) s = -s;
                    if (s != T(0)) {
                        if (k != sweepStart)
                            H[k][k - 1] = -s * x;
                        else if (blockStart != sweepStart)
                            H[k][k - 1] = -H[k][k - 1];
                        p = p + s;
                        x = p / s;
                        y = q / s;
                        z = r / s;
                        q = q / p;
                        r = r / p;

                        for (int j = k; j < nn; j++) {
                            p = H[k][j] + q * H[k + 1][j];
                            if (threeRows) {
                                p = p + r * H[k + 2][j];
                                H[k + 2][j] = H[k + 2][j] - p * z;
                            }
                            H[k][j] = H[k][j] - p * x;
                            H[k + 1][j] = H[k + 1][j] - p * y;
                        }
                        const int iEnd = last < k + 3 ? last : k + 3;
                        for (int i = 0; i <= iEnd; i++) {
                            p = x * H[i][k] + y * H[i][k + 1];
                            if (threeRows) {
                                p = p + z * H[i][k + 2];
                                H[i][k + 2] = H[i][k + 2] - p * r;
                            }
                            H[i][k] = H[i][k] - p;
                            H[i][k + 1] = H[i][k + 1] - p * q;
                        }
                        for (int i = low; i <= high; i++) {
                            p = x * V[i][k] + y * V[i][k + 1];
                            if (threeRows) {
                                p = p + z * V[i][k + 2];
                                V[i][k + 2] = V[i][k + 2] - p * r;
                            }
                            V[i][k] = V[i][k] - p;
                            V[i][k + 1] = V[i][k + 1] - p * q;
                        }
                    }
                }
            }
        }

        if (hNorm == T(0)) return;

        // Eigenvectors of the Schur form, column by column from the right,
        // into the upper triangle of H.
        for (int n = nn - 1; n >= 0; n--) {
            p = d[n];
            q = e[n];
            if (q == T(0)) {  // real eigenvector
                int l = n;
                H[n][n] = 1;
                for (int i = n - 1; i >= 0; i--) {
                    w = H[i][i] - p;
                    r = 0;
                    for (int j = l; j <= n; j++) r = r + H[i][j] * H[j][n];
                    if (e[i] < 0) {
                        z = w;
                        s = r;
                    } else {
                        l = i;
                        if (e[i] == T(0)) {
                            if (w != T(0))
                                H[i][n] = -r / w;
                            else
                                H[i][n] = -r / (eps * hNorm);
                        } else {
                            x = H[i][i + 1];
                            y = H[i + 1][i];
                            T den = (d[i] - p) * (d[i] - p) + e[i] * e[i];
                            t = (x * s - z * r) / den;
                            H[i][n] = t;
                            if (std::abs(x) > std::abs(z))
                                H[i + 1][n] = (-r - w * t) / x;
                            else
                                H[i + 1][n] = (-s - y * t) / z;
                        }
                        // Overflow control
                        t = std::abs(H[i][n]);
                        if ((eps * t) * t > 1)
                            for (int j = i; j <= n; j++) H[j][n] = H[j][n] / t;
                    }
                }
            } else if (q < 0) {  // complex eigenvector: real part in n−1, imaginary in n
                int l = n - 1;
                if (std::abs(H[n][n - 1]) > std::abs(H[n - 1][n])) {
                    H[n - 1][n - 1] = q / H[n][n - 1];
                    H[n - 1][n] = -(H[n][n] - p) / H[n][n - 1];
                } else {
                    cdiv(T(0), -H[n - 1][n], H[n - 1][n - 1] - p, q);
                    H[n - 1][n - 1] = divRe_;
                    H[n - 1][n] = divIm_;
                }
                H[n][n - 1] = 0;
                H[n][n] = 1;
                for (int i = n - 2; i >= 0; i--) {
                    T sumRe = 0;
                    T sumIm = 0;
                    for (int j = l; j <= n; j++) {
                        sumRe = sumRe + H[i][j] * H[j][n - 1];
                        sumIm = sumIm + H[i][j] * H[j][n];
                    }
                    w = H[i][i] - p;
                    if (e[i] < 0) {
                        z = w;
                        r = sumRe;
                        s = sumIm;
                    } else {
                        l = i;
                        if (e[i] == T(0)) {
                            cdiv(-sumRe, -sumIm, w, q);
                            H[i][n - 1] = divRe_;
                            H[i][n] = divIm_;
                        } else {
                            x = H[i][i + 1];
                            y = H[i + 1][i];
                            T detRe = (d[i] - p) * (d[i] - p) + e[i] * e[i] - q * q;
                            T detIm = (d[i] - p) * 2 * q;
                            if (detRe == T(0) && detIm == T(0))
                                detRe = (eps * hNorm) * (std::abs(w) + std::abs(q) + std::abs(x) +
                                                         std::abs(y) + std::abs(z));
                            cdiv(x * r - z * sumRe + q * sumIm, x * s - z * sumIm - q * sumRe, detRe,
                                 detIm);
                            H[i][n - 1] = divRe_;
                            H[i][n] = divIm_;
                            if (std::abs(x) > (std::abs(z) + std::abs(q))) {
                                H[i + 1][n - 1] = (-sumRe - w * H[i][n - 1] + q * H[i][n]) / x;
                                H[i + 1][n] = (-sumIm - w * H[i][n] - q * H[i][n - 1]) / x;
                            } else {
                                cdiv(-r - y * H[i][n - 1], -s - y * H[i][n], z, q);
                                H[i + 1][n - 1] = divRe_;
                                H[i + 1][n] = divIm_;
                            }
                        }
                        // Overflow control
                        T a = std::abs(H[i][n - 1]);
                        T b = std::abs(H[i][n]);
                        t = a > b ? a : b;
                        if ((eps * t) * t > 1) {
                            for (int j = i; j <= n; j++) {
                                H[j][n - 1] = H[j][n - 1] / t;
                                H[j][n] = H[j][n] / t;
                            }
                        }
                    }
                }
            }
        }

        // V = V·X, X the upper-triangular eigenvectors of the Schur form;
        // descending columns read only columns not yet overwritten.
        for (int j = nn - 1; j >= 0; j--) {
            for (int i = 0; i < nn; i++) {
                z = 0;
                for (int k = 0; k <= j; k++) z = z + V[i][k] * H[k][j];
                V[i][j] = z;
            }
        }
    }

    int n_;
    int symmetric_;
    Vector<T> realPart_;
    Vector<T> imagPart_;
    Matrix<T> V_;
    Matrix<T> hess_;
    Vector<T> work_;
    T divRe_;
    T divIm_;
    int converged_;
};

}  // namespace reference

#endif
