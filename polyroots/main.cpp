#include <iostream>

#include "datafile.h"
#include "polyroots.h"

int main() {
    return runOnDataFile(
        "polyroots", "datos6.dat",
        "the degree N, then the count N + 1, then the N + 1 coefficients, constant term first",
        [](std::istream& data) { return polyroots(data, std::cout, std::cerr); });
}
