// SPDX-License-Identifier: MIT
// The whole main of a program, in the order of a run: the messages'
// language, the command line, the data file opened, the program's run,
// the report checked.
#ifndef ZELKOR_PROGRAM_MAIN_H
#define ZELKOR_PROGRAM_MAIN_H

#include <functional>
#include <iosfwd>

#include "shell/command_line.h"
#include "shell/voice.h"

// Parses the command line, opens the data file (input/open_data.h) and
// runs `run` on it with the run's voice (the program, the data file as
// given, standard error) and options; the report's numbers have
// options.digits significant digits.  Exhausted memory and a report that
// could not be written completely get one line.  Returns the exit status.
int programMain(int argc, char** argv, const ProgramInfo& info,
                const std::function<int(std::istream&, const Voice&, const Options&)>& run);

#endif
