// SPDX-License-Identifier: MIT
// Every seed and every input a fuzzer ever found, replayed against the
// failure contract.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "contract.h"

namespace {

TEST(FuzzReplay, ContractHolds) {
    for (const std::string target :
         {"pivot_gauss", "lu_spectrum", "polyroots", "jacobi_rot", "decompositions"}) {
        int replayed = 0;
        for (const char* kind : {"corpus", "regressions"}) {
            std::filesystem::path dir = std::filesystem::path(FUZZ_DIR) / kind / target;
            if (!std::filesystem::is_directory(dir)) continue;
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                std::ifstream in(entry.path(), std::ios::binary);
                std::ostringstream data;
                data << in.rdbuf();
                std::string broken = target == "decompositions" ? checkDecompositions(data.str())
                                                                : checkContract(target, data.str());
                EXPECT_EQ(broken, "") << entry.path();
                ++replayed;
            }
        }
        EXPECT_GT(replayed, 0) << "no seeds for " << target;
    }
}

}  // namespace
