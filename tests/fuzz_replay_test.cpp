// Every seed and every input a fuzzer ever found, replayed against the
// failure contract.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "contract.h"

namespace {

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    return names;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class FuzzReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzReplay, ContractHolds) {
    const std::string target = GetParam();
    int replayed = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        for (const std::string& path : filesIn(std::string(FUZZ_DIR) + "/" + kind + "/" + target)) {
            std::string data = contents(path);
            std::string broken =
                target == "decompositions" ? checkDecompositions(data) : checkContract(target, data);
            EXPECT_EQ(broken, "") << path;
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no seeds for " << target;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::Values("pivot_gauss", "lu_spectrum", "polyroots", "jacobi_rot",
                                           "decompositions"));

}  // namespace
