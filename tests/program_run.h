// SPDX-License-Identifier: MIT
// Runs a program binary as a user would: in a fresh temporary folder that
// holds the given data files, with its standard output, standard error,
// exit status and every file left in the folder captured for comparison.
#ifndef ZELKOR_PROGRAM_RUN_H
#define ZELKOR_PROGRAM_RUN_H

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;                           // exit status; 128 + n when killed by signal n
    std::string out;                           // standard output
    std::string err;                           // standard error
    std::map<std::string, std::string> files;  // regular files in the folder afterwards
};

// `files` maps a file name to its contents; a name ending in '/' makes a
// folder instead.  `args` are the command-line arguments.  The run is
// killed after `seconds`.  It runs in the "C" locale, whatever the tests'
// own environment, with the variables `env` ("NAME=value") set on top.
ProgramRun runProgram(const std::string& binary, const std::map<std::string, std::string>& files,
                      const std::vector<std::string>& args = {}, unsigned seconds = 60,
                      const std::vector<std::string>& env = {});

// The number of lines in s (each ended by '\n').
int lineCount(const std::string& s);

// The bad-input contract: exit status 1 (2 for a usage error), nothing on
// standard output, and one line on standard error that starts with
// "<program>: ", names `file` and contains `problem`.
::testing::AssertionResult refused(const ProgramRun& run, const std::string& program, const std::string& file,
                                   const std::string& problem, int status = 1);

// The numbers in `report` after `caption`, up to the next empty line.
std::vector<double> numbers(const std::string& report, const std::string& caption);

#endif
