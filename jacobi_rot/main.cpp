#include <iostream>

#include "jacobi_rot.h"

int main(int argc, char** argv) {
    return programMain(argc, argv, jacobiRotInfo, [](std::istream& data, const Options& options) {
        return jacobiRot(data, "res.dat", std::cout, std::cerr, options);
    });
}
