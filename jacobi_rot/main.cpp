#include <iostream>

#include "datafile.h"
#include "jacobi_rot.h"

int main() {
    return runOnDataFile("jacobi_rot", "jacobi.dat", "the order n, then n·n numbers row by row",
                         [](std::istream& data) { return jacobiRot(data, "res.dat", std::cout, std::cerr); });
}
