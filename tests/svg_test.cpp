// The pictures of --svg: read back with an XML parser (svg_check.py), the
// drawn points sit where the mathematics puts them in the picture's own
// scale; a bad path is refused before the report; bad input writes none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

struct Picture {
    std::string svg;
    Points points;
    std::vector<double> levels;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // frame corners
};

Picture picture(const std::string& binary, const std::string& dataFile, const std::string& data) {
    ProgramRun run = runProgram(binary, {{dataFile, data}}, {"--svg", "pic.svg"});
    EXPECT_EQ(run.status, 0) << run.err;
    Picture p;
    p.svg = run.files["pic.svg"];
    ProgramRun check = shell("python3 " SVG_CHECK " pic.svg", {{"pic.svg", p.svg}});
    EXPECT_EQ(check.status, 0) << "not a valid picture: " << check.err;
    std::istringstream in(check.out);
    for (std::string kind; in >> kind;) {
        double a, b;
        if (kind == "point" && in >> a >> b) p.points.push_back({a, b});
        if (kind == "level" && in >> a) p.levels.push_back(a);
        if (kind == "frame") in >> p.x0 >> p.y0 >> p.x1 >> p.y1;
    }
    std::sort(p.points.begin(), p.points.end());
    return p;
}

struct Case {
    std::string binary, dataFile, data;
    Points expected;  // sorted; y = NAN: on the bottom edge
    std::vector<double> levels;
    bool equalScale, logY;
};

// x⁴ − 1: ±1, ±i.  The rotation by 90 degrees: ±i.  Jacobi on rows (2, 1),
// (1, 2): Delta 1, then exactly 0 (drawn on the bottom edge), threshold
// 1e-12.  Elimination on rows (1, 2), (3, 4): max 4, then 2 − (1/3)·4.
const std::vector<Case> cases = {
    {POLYROOTS_BIN, "datos6.dat", "4\n5\n-1 0 0 0 1\n", {{-1, 0}, {0, -1}, {0, 1}, {1, 0}}, {0}, true, false},
    {LU_SPECTRUM_BIN, "datos4.dat", "2\n0 -1\n1 0\n", {{0, -1}, {0, 1}}, {0}, true, false},
    {JACOBI_ROT_BIN, "jacobi.dat", "2\n2 1\n1 2\n", {{0, 1}, {1, NAN}}, {1e-12}, false, true},
    {PIVOT_GAUSS_BIN, "gausslu.dat", "2\n1 2\n3 4\n5 6\n", {{0, 4}, {1, 2 - 4.0 / 3}}, {}, false, true},
};

TEST(Pictures, PointsWhereTheMathematicsPutsThem) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binary);
        Picture p = picture(c.binary, c.dataFile, c.data);
        // Half a picture unit of rounding, relative to the frame.
        const double tx = (p.x1 - p.x0) / 500, ty = c.logY ? 1e-3 : (p.y1 - p.y0) / 500;
        auto near = [&](double got, double want, double tol, bool log) {
            return log ? std::fabs(std::log10(got / want)) < tol : std::fabs(got - want) < tol;
        };
        ASSERT_EQ(p.points.size(), c.expected.size());
        for (std::size_t k = 0; k < c.expected.size(); ++k) {
            double wantY = std::isnan(c.expected[k].second) ? p.y0 : c.expected[k].second;
            EXPECT_TRUE(near(p.points[k].first, c.expected[k].first, tx, false)) << p.points[k].first;
            EXPECT_TRUE(near(p.points[k].second, wantY, ty, c.logY)) << p.points[k].second;
        }
        ASSERT_EQ(p.levels.size(), c.levels.size());
        for (std::size_t k = 0; k < c.levels.size(); ++k)
            EXPECT_TRUE(near(p.levels[k], c.levels[k], c.logY ? 1e-3 : ty, c.logY)) << p.levels[k];
        if (c.equalScale) {
            EXPECT_NEAR(p.x1 - p.x0, p.y1 - p.y0, tx);  // the plot is square
        }
    }
}

TEST(Pictures, BadPathRefusedBeforeTheReportNoPictureOnBadInput) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binary);
        const std::string program = c.binary.substr(c.binary.rfind('/') + 1);
        ProgramRun folder = runProgram(c.binary, {{c.dataFile, c.data}, {"dir/", ""}}, {"--svg", "dir"});
        EXPECT_TRUE(refused(folder, program, "dir", "cannot write dir: Is a directory"));
        EXPECT_EQ(folder.files.count("res.dat"), 0u);
        ProgramRun missing = runProgram(c.binary, {{c.dataFile, c.data}}, {"--svg", "no/pic.svg"});
        EXPECT_TRUE(refused(missing, program, "no/pic.svg", "No such file or directory"));
        ProgramRun bad = runProgram(c.binary, {{c.dataFile, "2 x"}}, {"--svg", "pic.svg"});
        EXPECT_TRUE(refused(bad, program, c.dataFile, "line 1: "));
        EXPECT_EQ(bad.files.count("pic.svg"), 0u);
    }
    ProgramRun singular =
        runProgram(PIVOT_GAUSS_BIN, {{"gausslu.dat", "2\n1 1 1 1\n1 1\n"}}, {"--svg", "p.svg"});
    EXPECT_EQ(singular.status, 1);
    EXPECT_EQ(singular.files.count("p.svg"), 0u);
}

TEST(Pictures, RenderedNotBlank) {
    if (shell("command -v rsvg-convert").status != 0)
        GTEST_SKIP() << "rsvg-convert not installed (Debian: librsvg2-bin): pictures not rendered";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binary);
        ProgramRun inked =
            shell("rsvg-convert -w 200 -f png -o p.png p.svg && python3 " SVG_CHECK " --png p.png",
                  {{"p.svg", picture(c.binary, c.dataFile, c.data).svg}});
        EXPECT_EQ(inked.status, 0) << inked.err;
        EXPECT_GT(std::atof(inked.out.c_str()), 0.01) << "a blank picture";
    }
}

}  // namespace
