// SPDX-License-Identifier: MIT
#include "input/open_data.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "input/similar_file.h"
#include "shell/translate.h"

namespace {

// Why `file` opened as `in` cannot be read, or "" when it can be tried:
// the reason of a failed open other than a missing file, or a folder.
std::string unreadable(const char* file, const std::ifstream& in, int openError) {
    if (!in) return openError != 0 && openError != ENOENT ? std::strerror(openError) : "";
    std::error_code ec;
    return std::filesystem::is_directory(file, ec) ? std::strerror(EISDIR) : "";
}

}  // namespace

bool openDataFile(std::ifstream& in, const Voice& voice, const char* expected) {
    const char* file = voice.file().c_str();
    errno = 0;
    in.open(file);
    const int openError = errno;
    const std::string reason = unreadable(file, in, openError);
    if (!reason.empty()) {
        // TRANSLATORS: %1 is the data file, %2 the system's reason.
        voice.say(fill(_("cannot read %1: %2"), {voice.file(), reason}));
        return false;
    }
    if (!in) {
        // TRANSLATORS: %2 is the layout of the data file ("the order N, then
        // N·N numbers row by row").
        std::string text = std::strchr(file, '/')
                               ? fill(_("cannot open %1 (expected: %2)"), {voice.file(), tr(expected)})
                               : fill(_("cannot open %1 in the current folder (expected: %2)"),
                                      {voice.file(), tr(expected)});
        // A file saved under a similar name (an editor's added ".txt"):
        // searched for in the folder where the file was looked for, the
        // fixed name's or the one given, and only when none is there.
        const std::string similar = openError == ENOENT ? similarFile(voice.file()) : "";
        // TRANSLATORS: %1 is the message above, %2 a file whose name is close
        // to the one expected.
        if (!similar.empty()) text = fill(_("%1; found %2: rename it?"), {text, similar});
        voice.say(text);
        return false;
    }
    return true;
}
