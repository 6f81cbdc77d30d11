// SPDX-License-Identifier: MIT
#include "input/similar_file.h"

#include <filesystem>
#include <system_error>

namespace {

// Lower-case ASCII, for comparing file names without regard to case.
std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A name that the file `name` (no folder) may have been saved under by
// mistake: the same name in other case ("GAUSSLU.DAT"), the name with an
// extension added ("gausslu.dat.txt", "gausslu.dat.dat"), or its stem with
// another extension or none ("gausslu.txt", "gausslu"), compared without
// regard to case.
bool similarName(const std::string& candidate, const std::string& name) {
    if (candidate == name) return false;
    const std::string c = lower(candidate), n = lower(name);
    if (c == n) return true;
    if (c.size() > n.size() + 1 && c.compare(0, n.size(), n) == 0 && c[n.size()] == '.') return true;
    const std::size_t dot = n.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;  // no extension to change
    const std::string stem = n.substr(0, dot + 1);           // "gausslu."
    return c == n.substr(0, dot) || (c.size() > stem.size() && c.compare(0, stem.size(), stem) == 0 &&
                                     c.find('.', stem.size()) == std::string::npos);
}

// Directory entries looked at, at most, for a similar name: the search
// runs only after a failed open and stays cheap in a crowded folder.
constexpr int maxEntriesSearched = 10000;

}  // namespace

std::string similarFile(const std::string& file) {
    namespace fs = std::filesystem;
    const fs::path given(file);
    const std::string name = given.filename().string();
    if (name.empty() || name == "." || name == "..") return "";
    const fs::path folder = given.parent_path();
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
    std::string best;
    for (int seen = 0; !ec && it != end && seen < maxEntriesSearched; it.increment(ec), ++seen) {
        const std::string candidate = it->path().filename().string();
        std::error_code typeError;
        if (similarName(candidate, name) && it->is_regular_file(typeError) &&
            (best.empty() || candidate < best))
            best = candidate;
    }
    if (best.empty()) return "";
    return folder.empty() ? best : (folder / best).string();
}
