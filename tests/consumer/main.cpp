// Factors (2 1; 4 3) with the installed headers: one row exchange, U =
// (4 3; 0 −0.5), det = −(4·−0.5) = 2.
#include <iostream>
#include <lu>

int main() {
    ZELKOR::Matrix<long double> A(2, 2, 0);
    A[0][0] = 2;
    A[0][1] = 1;
    A[1][0] = 4;
    A[1][1] = 3;
    ZELKOR::LU<long double> lu(A);
    std::cout << lu.getU() << "det=" << lu.det() << std::endl;
}
