// SPDX-License-Identifier: MIT
// The files a program writes: whether a path can be written, the opening,
// writing and closing of an output file with the line said when it fails,
// the check of the report on standard output, and whether two paths name
// one file.  Every "cannot write" of the programs is said from here.
#ifndef ZELKOR_OUTPUT_FILE_H
#define ZELKOR_OUTPUT_FILE_H

#include <fstream>
#include <functional>
#include <iosfwd>
#include <string>

#include "shell/voice.h"

// Empty when a file may be created or replaced at `path`, otherwise the
// reason (the system's message).  Creates nothing.
std::string unwritableReason(const std::string& path);

// The check before a report: 0 when `path` is empty or writable, otherwise
// 1 after the voice said "cannot write <path>: <reason>".
int checkWritable(const std::string& path, const Voice& voice);

// Opens `path` for writing (created or emptied).  False after the voice
// said "cannot write <path>[: reason]".
bool openOutput(std::ofstream& file, const std::string& path, const Voice& voice);

// Closes `file`, opened at `path`.  False after the voice said "cannot
// write <path>: <reason>"; without a reason from the system, the reason is
// "write error" when `unexplained` says so, else none is given.
bool closeOutput(std::ofstream& file, const std::string& path, const Voice& voice, bool unexplained);

// Writes the file `path` (created or emptied) through write(stream).
// Returns the exit status: 0, or 1 after the voice said "cannot write
// <path>[: reason]".
int writeFile(const std::string& path, const Voice& voice, const std::function<void(std::ostream&)>& write);

// A picture (anything with write(std::ostream&)) written to `path` as by
// writeFile.
template <class Picture>
int writeChart(const Picture& picture, const std::string& path, const Voice& voice) {
    return writeFile(path, voice, [&](std::ostream& out) { picture.write(out); });
}

// True when everything written to standard output reached it; otherwise
// the voice says "cannot write the report to standard output: <reason>".
bool reportWritten(const Voice& voice);

// True when the paths `a` and `b` name one file: the same device and inode
// when both exist; when neither does, the same name in the same folder
// once the folders and a dangling symbolic link are resolved (what writing
// to them would create).  Programs refuse an output that is their input.
bool sameFile(const std::string& a, const std::string& b);

#endif
