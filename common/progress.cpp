// SPDX-License-Identifier: MIT
#include "progress.h"

#include <ostream>
#include <utility>

#include "translate.h"
#include "voice.h"

ProgressLine::ProgressLine(const std::string& program, int total, std::string units, bool enabled,
                           std::ostream& err)
    : opening_(prefix(program)), total_(total), units_(std::move(units)), enabled_(enabled), err_(err) {}

void ProgressLine::show(const std::string& stage, int done) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (width_ > 0 && done > 0 && done < total_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    std::string line = opening_ + stage;
    if (done >= 0) {
        // TRANSLATORS: the progress line's count, e.g. "120 of 400 eigenvalues (30%)".
        line += ", " + fill(_("%1 of %2 %3 (%4%%)"),
                            {std::to_string(done), std::to_string(total_), units_,
                             std::to_string(total_ > 0 ? 100LL * done / total_ : 100)});
    }
    std::string pad(width_ > line.size() ? width_ - line.size() : 0, ' ');
    err_ << '\r' << line << pad << std::flush;
    width_ = line.size() > width_ ? line.size() : width_;
}

void ProgressLine::erase() {
    if (enabled_ && width_ > 0) err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    enabled_ = false;
}
