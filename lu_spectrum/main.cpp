#include <iostream>

#include "datafile.h"
#include "lu_spectrum.h"

int main() {
    return runOnDataFile("lu_spectrum", "datos4.dat", "the order N, then N·N numbers row by row",
                         [](std::istream& data) { return luSpectrum(data, std::cout, std::cerr); });
}
