#include <iostream>

#include "datafile.h"
#include "pivot_gauss.h"

int main() {
    return runOnDataFile("pivot_gauss", "gausslu.dat",
                         "the order n, then n·n numbers row by row, then the n right-hand-side values",
                         [](std::istream& data) { return pivotGauss(data, std::cout, std::cerr); });
}
