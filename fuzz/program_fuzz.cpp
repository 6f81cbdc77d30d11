// SPDX-License-Identifier: MIT
// Any data-file text given to the program FUZZ_PROGRAM keeps the failure
// contract.  Built once per program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "contract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string broken = checkContract(FUZZ_PROGRAM, std::string(reinterpret_cast<const char*>(data), size));
    if (!broken.empty()) {
        std::fprintf(stderr, "contract broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
