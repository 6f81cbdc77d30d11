// SPDX-License-Identifier: MIT
// A progress line for long runs: one line on standard error showing the
// stage and how many of a total are done, redrawn in place at most four
// times a second and erased before anything else is written, cut short to
// fit the width of the terminal on standard error.  It draws only when
// enabled.
#ifndef ZELKOR_PROGRESS_H
#define ZELKOR_PROGRESS_H

#include <chrono>
#include <iosfwd>
#include <string>

class ProgressLine {
public:
    // `units` names what is counted ("eigenvalues", "roots").
    ProgressLine(const std::string& program, int total, std::string units, bool enabled, std::ostream& err);
    ~ProgressLine() { erase(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // "<program>: <stage>", with ", k of n <units> (p%)" when done = k >= 0.
    void show(const std::string& stage, int done = -1);
    // Clears the line; nothing is drawn after it.
    void erase();

    int total() const { return total_; }

private:
    std::string opening_;  // "<program>: "
    int total_;
    std::string units_;
    bool enabled_;
    std::ostream& err_;
    std::size_t width_ = 0;  // columns drawn, to be erased
    std::chrono::steady_clock::time_point last_{};
};

#endif
