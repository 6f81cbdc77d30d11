#include "progress.h"

#include <ostream>

#include "voice.h"

ProgressLine::ProgressLine(const char* program, int total, bool enabled, std::ostream& err)
    : program_(program), total_(total), enabled_(enabled), err_(err) {}

void ProgressLine::show(const std::string& stage, int found) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (width_ > 0 && found > 0 && found < total_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    std::string line = prefix(program_) + stage;
    if (found >= 0) {
        line += ", " + std::to_string(found) + " of " + std::to_string(total_) + " eigenvalues (" +
                std::to_string(total_ > 0 ? 100LL * found / total_ : 100) + "%)";
    }
    std::string pad(width_ > line.size() ? width_ - line.size() : 0, ' ');
    err_ << '\r' << line << pad << std::flush;
    width_ = line.size() > width_ ? line.size() : width_;
}

void ProgressLine::erase() {
    if (enabled_ && width_ > 0) err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    enabled_ = false;
}

void ProgressLine::eigenvaluesFound(void* context, int found) {
    ProgressLine* p = static_cast<ProgressLine*>(context);
    p->show(found < p->total_ ? "iteration" : "eigenvectors", found);
}
