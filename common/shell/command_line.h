// SPDX-License-Identifier: MIT
// The command line shared by the four programs:
//     PROGRAM [OPTION]... [DATA_FILE]
// with --svg FILE, --digits N, --help and --version, and a whole-number
// option of the program's own when it has one; `--` ends the options.
// Without DATA_FILE a program reads its fixed file in the current folder.
#ifndef ZELKOR_COMMAND_LINE_H
#define ZELKOR_COMMAND_LINE_H

#include <iosfwd>
#include <string>

// A whole-number option of one program: --<name> N, N from minimum (at
// least 0) to maximum, `initial` when not given.  `help` is its text in
// --help, marked with N_(), with %1 to %3 for the minimum, the maximum and
// the default.
struct NumberOption {
    const char* name;  // "max-rotations"
    const char* help;
    int minimum, maximum, initial;
};

// What a program says about itself in --help and in its messages, and the
// options it takes.  The texts from `summary` on are English, marked with
// N_() where they are written and looked up with tr() where printed (an
// empty `writes` is not: gettext keeps its header under "").
struct ProgramInfo {
    const char* name;                      // "lu_spectrum"
    const char* dataFile;                  // the fixed data file, "datos4.dat"
    const char* summary;                   // one sentence: what the program computes
    const char* layout;                    // the data file's layout, one phrase
    const char* example;                   // a three-line example of the data file
    const char* writes;                    // files written besides the picture ("" if none)
    const char* written;                   // that file, in the current folder: "res.dat" ("" if none)
    const char* picture;                   // what --svg draws
    int maxDigits;                         // the largest --digits: 21 in long double, 17 in double
    const NumberOption* option = nullptr;  // the program's own option, if any
    const char* exitStatus = nullptr;      // its exit statuses in --help, if not the usual ones
};

// The choices of one run.
struct Options {
    std::string dataFile;   // as given on the command line, or the fixed name
    std::string svgFile;    // empty: no picture
    int digits = 6;         // significant digits of the report's numbers (the stream's default)
    int own = 0;            // the value of the program's own option (ProgramInfo::option)
    bool progress = false;  // a progress line may be shown (standard error is a terminal)
};

// Result of parsing: either run with `options`, or end at once with `status`
// (0 after --help or --version, 2 after a usage error).
struct CommandLine {
    bool run = false;
    int status = 0;
    Options options;
};

// Parses argv with getopt_long.  --help and --version write to out; a usage
// error writes one line to err ("<program>: <problem>; try '<program>
// --help'").  Never writes anything else.  An output that is the data
// file, or that the program writes besides (sameFile), is a usage error.
CommandLine parseCommandLine(int argc, char** argv, const ProgramInfo& info, std::ostream& out,
                             std::ostream& err);

#endif
