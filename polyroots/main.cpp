#include <iostream>

#include "polyroots.h"

int main(int argc, char** argv) {
    return programMain(argc, argv, polyrootsInfo, [](std::istream& data, const Options& options) {
        return polyroots(data, std::cout, std::cerr, options);
    });
}
