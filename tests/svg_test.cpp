// The pictures of --svg: read back with an XML parser (svg_check.py), the
// drawn points sit where the mathematics puts them in the picture's own
// scale; a bad path is refused before the report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "program_run.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

// A shell command run in a folder that holds `files`.
ProgramRun shell(const std::string& command, const std::map<std::string, std::string>& files = {}) {
    return runProgram("/bin/sh", files, {"-c", command});
}

struct Case {
    std::string binary, dataFile, data;
    Points expected;  // sorted; y = NAN: on the bottom edge
    std::vector<double> levels;
    bool logY;  // otherwise the complex plane: one scale on both axes
};

// x⁴ − 1: ±1, ±i.  The rotation by 90 degrees: ±i.  Jacobi on rows (2, 1),
// (1, 2): Delta 1, then exactly 0 (drawn on the bottom edge), threshold
// 1e-12.  Elimination on rows (1, 2), (3, 4): max 4, then 2 − (1/3)·4.
const std::vector<Case> cases = {
    {POLYROOTS_BIN, "datos6.dat", "4\n5\n-1 0 0 0 1\n", {{-1, 0}, {0, -1}, {0, 1}, {1, 0}}, {0}, false},
    {LU_SPECTRUM_BIN, "datos4.dat", "2\n0 -1\n1 0\n", {{0, -1}, {0, 1}}, {0}, false},
    {JACOBI_ROT_BIN, "jacobi.dat", "2\n2 1\n1 2\n", {{0, 1}, {1, NAN}}, {1e-12}, true},
    {PIVOT_GAUSS_BIN, "gausslu.dat", "2\n1 2\n3 4\n5 6\n", {{0, 4}, {1, 2 - 4.0 / 3}}, {}, true},
};

// Each picture is read back by svg_check.py in its own data coordinates:
// points and lines within half a picture unit of rounding (relative to the
// frame; 1e-3 decades on a log axis).  With rsvg-convert installed it is
// also rendered, and not blank.
TEST(Pictures, PointsWhereTheMathematicsPutsThem) {
    const bool render = shell("command -v rsvg-convert").status == 0;
    if (!render) std::cout << "rsvg-convert not installed (Debian: librsvg2-bin): pictures not rendered\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binary);
        ProgramRun run = runProgram(c.binary, {{c.dataFile, c.data}}, {"--svg", "p.svg"});
        ASSERT_EQ(run.status, 0) << run.err;
        ProgramRun check = shell("python3 " SVG_CHECK " p.svg" +
                                     std::string(render ? " && rsvg-convert -w 200 -f png -o p.png p.svg && "
                                                          "python3 " SVG_CHECK " --png p.png"
                                                        : ""),
                                 {{"p.svg", run.files["p.svg"]}});
        ASSERT_EQ(check.status, 0) << "not a valid picture: " << check.err;
        Points points;
        std::vector<double> levels;
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0, inked = 1;  // frame corners, share of inked pixels
        std::istringstream in(check.out);
        for (std::string kind; in >> kind;) {
            double a, b;
            if (kind == "point" && in >> a >> b) points.push_back({a, b});
            if (kind == "level" && in >> a) levels.push_back(a);
            if (kind == "frame") in >> x0 >> y0 >> x1 >> y1;
            if (kind == "inked") in >> inked;
        }
        std::sort(points.begin(), points.end());
        auto y = [&](double v) { return c.logY ? std::log10(v) : v; };
        const double tx = (x1 - x0) / 500, ty = c.logY ? 1e-3 : (y1 - y0) / 500;
        ASSERT_EQ(points.size(), c.expected.size());
        for (std::size_t k = 0; k < c.expected.size(); ++k) {
            EXPECT_NEAR(points[k].first, c.expected[k].first, tx);
            EXPECT_NEAR(y(points[k].second), y(std::isnan(c.expected[k].second) ? y0 : c.expected[k].second),
                        ty);
        }
        ASSERT_EQ(levels.size(), c.levels.size());
        for (std::size_t k = 0; k < c.levels.size(); ++k) EXPECT_NEAR(y(levels[k]), y(c.levels[k]), ty);
        if (!c.logY) {
            EXPECT_NEAR(x1 - x0, y1 - y0, tx);  // the plot is square
        }
        EXPECT_GT(inked, 0.01) << "a blank picture";
    }
}

TEST(Pictures, BadPathRefusedBeforeTheReport) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binary);
        const std::string program = c.binary.substr(c.binary.rfind('/') + 1);
        ProgramRun folder = runProgram(c.binary, {{c.dataFile, c.data}, {"dir/", ""}}, {"--svg", "dir"});
        EXPECT_TRUE(refused(folder, program, "dir", "cannot write dir: Is a directory"));
        EXPECT_EQ(folder.files.count("res.dat"), 0u);
        ProgramRun missing = runProgram(c.binary, {{c.dataFile, c.data}}, {"--svg", "no/pic.svg"});
        EXPECT_TRUE(refused(missing, program, "no/pic.svg", "No such file or directory"));
    }
}

}  // namespace
