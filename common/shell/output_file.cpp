// SPDX-License-Identifier: MIT
#include "shell/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "shell/translate.h"

namespace {

// Where writing to the missing `file` would create a file: a dangling
// symbolic link followed (40 links at most, as the system does), then the
// folder made canonical as far as it exists.
std::filesystem::path createdAt(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = fs::absolute(file, ec);
    for (int links = 0; links < 40 && fs::is_symlink(path, ec); ++links) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : resolved;
}

}  // namespace

std::string unwritableReason(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
        return access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    }
    if (errno != ENOENT) return std::strerror(errno);
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(folder.c_str(), W_OK | X_OK) == 0 ? "" : std::strerror(errno);
}

int checkWritable(const std::string& path, const Voice& voice) {
    if (path.empty()) return 0;
    std::string reason = unwritableReason(path);
    if (reason.empty()) return 0;
    voice.cannotWrite(path, reason);
    return 1;
}

bool openOutput(std::ofstream& file, const std::string& path, const Voice& voice) {
    errno = 0;
    file.open(path, std::ios::out | std::ios::trunc);
    if (file) return true;
    voice.cannotWrite(path, systemReason(errno, ""));
    return false;
}

bool closeOutput(std::ofstream& file, const std::string& path, const Voice& voice, bool unexplained) {
    file.close();
    if (file) return true;
    voice.cannotWrite(path, systemReason(errno, unexplained ? _("write error") : ""));
    return false;
}

int writeFile(const std::string& path, const Voice& voice, const std::function<void(std::ostream&)>& write) {
    std::ofstream file;
    if (!openOutput(file, path, voice)) return 1;
    write(file);
    return closeOutput(file, path, voice, false) ? 0 : 1;
}

bool reportWritten(const Voice& voice) {
    std::cout.flush();
    if (std::cout && std::fflush(stdout) == 0) return true;
    // The stream keeps no reason; errno still holds the failed write's.
    voice.cannotWrite(_("the report to standard output"), systemReason(errno, _("write error")));
    return false;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    const bool hasA = stat(a.c_str(), &sa) == 0, hasB = stat(b.c_str(), &sb) == 0;
    if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return !hasA && !hasB && createdAt(a) == createdAt(b);
}
