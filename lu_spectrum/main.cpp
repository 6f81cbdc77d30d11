#include <iostream>

#include "lu_spectrum.h"

int main(int argc, char** argv) {
    return programMain(argc, argv, luSpectrumInfo, [](std::istream& data, const Options& options) {
        return luSpectrum(data, std::cout, std::cerr, options);
    });
}
