// SPDX-License-Identifier: MIT
// The "did you mean" of a data file that is not there: a regular file of
// a similar name in the folder where it was looked for.
#ifndef ZELKOR_SIMILAR_FILE_H
#define ZELKOR_SIMILAR_FILE_H

#include <string>

// The regular file next to the missing `file` (in its folder, the current
// one when it names none) whose name is similar to its name, the first in
// byte order when there are several; named as `file` names its folder.
// "" when there is none or the folder cannot be read.
// Similar: the same name in other case ("GAUSSLU.DAT"), the name with an
// extension added ("gausslu.dat.txt"), or its stem with another extension
// or none ("gausslu.txt", "gausslu"); at most 10000 entries are looked at.
std::string similarFile(const std::string& file);

#endif
