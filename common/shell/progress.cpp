// SPDX-License-Identifier: MIT
#include "shell/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <ostream>
#include <utility>

#include "shell/translate.h"
#include "shell/voice.h"

namespace {

// Columns of the terminal on standard error; 80 when it does not say.
std::size_t terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

// Characters of UTF-8 text (its bytes that do not continue a character).
std::size_t characters(const std::string& s) {
    std::size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first `room` characters of s.
std::string firstCharacters(const std::string& s, std::size_t room) {
    std::size_t n = 0, end = 0;
    for (; end < s.size(); ++end)
        if ((static_cast<unsigned char>(s[end]) & 0xC0) != 0x80 && n++ == room) break;
    return s.substr(0, end);
}

}  // namespace

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
    // The last column stays free: a character there would wrap the line on
    // some terminals, and '\r' would not return to its start.
    const std::size_t room = terminalColumns() - 1;
    line = firstCharacters(line, room);
    const std::size_t shown = characters(line);
    if (width_ > room) width_ = room;
    err_ << '\r' << line << std::string(width_ > shown ? width_ - shown : 0, ' ') << std::flush;
    width_ = shown > width_ ? shown : width_;
}

void ProgressLine::erase() {
    if (enabled_ && width_ > 0) err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    enabled_ = false;
}
