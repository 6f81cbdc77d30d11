#include <iostream>

#include "pivot_gauss.h"

int main(int argc, char** argv) {
    return programMain(argc, argv, pivotGaussInfo, [](std::istream& data, const Options& options) {
        return pivotGauss(data, std::cout, std::cerr, options);
    });
}
