// SPDX-License-Identifier: MIT
#include "shell/voice.h"

#include <cstring>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <utility>

#include "shell/translate.h"

std::string prefix(const std::string& program) { return program + ": "; }

std::string prefix(const std::string& program, const std::string& where) {
    return prefix(program) + where + ": ";
}

std::string systemReason(int error, const std::string& otherwise) {
    return error != 0 ? std::strerror(error) : otherwise;
}

Voice::Voice(std::string program, std::string file, std::ostream& err)
    : program_(std::move(program)), file_(std::move(file)), err_(err) {}

void Voice::aboutFile(const std::string& text) const { line(prefix(program_, file_) + text); }

void Voice::say(const std::string& text) const { line(prefix(program_) + text); }

void Voice::cannotWrite(const std::string& what, const std::string& reason) const {
    say(reason.empty() ? fill(_("cannot write %1"), {what}) : fill(_("cannot write %1: %2"), {what, reason}));
}

void Voice::line(const std::string& text) const {
    if (!text.empty()) err_ << text << std::endl;
}

std::string twoDigits(long double x) {
    std::ostringstream s;
    s << std::scientific << std::setprecision(1) << x;
    return s.str();
}
