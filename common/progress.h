// A progress line for long runs: one line on standard error showing the
// stage and the share of eigenvalues found, redrawn in place at most four
// times a second and erased before anything else is written.  It draws only
// when enabled (standard error is a terminal and the order is large).
#ifndef ZELKOR_PROGRESS_H
#define ZELKOR_PROGRESS_H

#include <chrono>
#include <iosfwd>
#include <string>

class ProgressLine {
public:
    ProgressLine(const char* program, int total, bool enabled, std::ostream& err);
    ~ProgressLine() { erase(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // "<program>: <stage>", with "k of n eigenvalues (p%)" when found >= 0.
    void show(const std::string& stage, int found = -1);
    // Clears the line; nothing is drawn after it.
    void erase();

    // For an eigen-decomposition's observer (context: a ProgressLine): k of
    // the total found, the eigenvectors once all are.
    static void eigenvaluesFound(void* context, int found);

private:
    const char* program_;
    int total_;
    bool enabled_;
    std::ostream& err_;
    std::size_t width_ = 0;  // characters drawn, to be erased
    std::chrono::steady_clock::time_point last_{};
};

#endif
