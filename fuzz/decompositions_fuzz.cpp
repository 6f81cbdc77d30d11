// SPDX-License-Identifier: MIT
// LU, Eigenvalue, Cholesky, QR and the SVD on matrices built from arbitrary
// bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "contract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string broken = checkDecompositions(std::string(reinterpret_cast<const char*>(data), size));
    if (!broken.empty()) {
        std::fprintf(stderr, "contract broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
