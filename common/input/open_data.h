// SPDX-License-Identifier: MIT
// The opening of a program's data file, with the one line said when it
// cannot be read.
#ifndef ZELKOR_OPEN_DATA_H
#define ZELKOR_OPEN_DATA_H

#include <fstream>

#include "shell/voice.h"

// Opens the voice's file (a path, relative to the current folder unless
// absolute) as `in`.  False after the voice said why it cannot be read: a
// missing file gets "<program>: cannot open <file> in the current folder
// (expected: <expected>)", without "in the current folder" when the name
// holds a '/', and "; found <similar>: rename it?" when the folder where
// it was looked for holds a regular file of a similar name
// (input/similar_file.h); `expected` is looked up with tr(); one that
// exists but cannot be read "<program>: cannot read <file>: <reason>" (a
// folder: "Is a directory").
bool openDataFile(std::ifstream& in, const Voice& voice, const char* expected);

#endif
