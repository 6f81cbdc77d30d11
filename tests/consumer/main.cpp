// SPDX-License-Identifier: MIT
// Factors (2 1; 4 3) with the installed headers, <zelkor/...>: one row exchange, U =
// (4 3; 0 −0.5), det = −(4·−0.5) = 2.
#include <iostream>
#include <zelkor/cmat_zelkor>
#include <zelkor/lu>

int main() {
    ZELKOR::Matrix<long double> A{{2, 1}, {4, 3}};
    ZELKOR::LU<long double> lu(A);
    std::cout << lu.getU() << "det=" << lu.det() << std::endl;
}
